#include "tools/corvane-verify/expected_values.h"

#include <string>

#include "image/arg_values.h"
#include "image/image_kinds.h"
#include "image/image_layout.h"
#include "image/image_rules.h"
#include "report/printable_name.h"

namespace corvane {

namespace {

std::string refuse(const char* option, const char* word, const std::string& why)
{
    return std::string("corvane-verify: ") + option + " '" + printable_name(word) + "': " + why +
           "\n";
}

} // namespace

std::string read_expected_value(char option, const char* word, expected_image& expected)
{
    switch (option) {
    case 't': {
        const image_kind* kind = find_image_kind(word);
        if (kind == nullptr)
            return refuse("--kind", word, "not a kind (" + kind_words() + ")");
        expected.type_code = kind->type_code;
        return {};
    }
    case 's': {
        const std::int32_t size_kb = decimal_value(word);
        if (!size_value_ok(size_kb))
            return refuse("--size", word, "not a size of 1 KB or more");
        const std::uint32_t size = image_size_from_kb(size_kb);
        const std::uint32_t unit =
            size_unit_of(expected.type_code ? kind_of_type_code(*expected.type_code) : nullptr);
        if (!whole_units(size, unit))
            return refuse("--size", word,
                          "not a whole number of " + std::to_string(unit / 1024) + " KB");
        expected.size = size;
        return {};
    }
    case 'v':
        expected.version = parse_version_text(word);
        if (!expected.version)
            return refuse("--image-version", word,
                          "not a.b.c.dddd, with four digits after the third dot");
        return {};
    }
    // -i
    const std::uint16_t id = device_id_from_digits(word);
    if (!device_id_accepted(id)) // every accepted id is in the family
        return refuse("--device-id", word, "not one of " + device_id_words());
    expected.device_id = id;
    return {};
}

} // namespace corvane
