#include "image/strict_words.h"

#include <charconv>
#include <cstdio>
#include <type_traits>

#include "image/arg_values.h"
#include "image/device_ids.h"
#include "image/image_layout.h"
#include "image/rule_values.h"
#include "image/version_text.h"

namespace corvane {

namespace {

// The whole text as a number: digits of the base only, with no sign (the types are unsigned), no
// blank and no prefix, which from_chars takes as the end of the number.
template <typename Number>
std::optional<Number> number_of(std::string_view text, int base) noexcept
{
    static_assert(std::is_unsigned_v<Number>);
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

std::optional<std::uint32_t> strict_image_size(std::string_view kb, std::uint32_t unit) noexcept
{
    const std::optional<std::uint64_t> value = number_of<std::uint64_t>(kb, 10);
    if (!value || *value == 0 || *value > largest_image_size(unit) / 1024)
        return std::nullopt;
    const std::uint64_t size = *value * 1024;
    if (!whole_units(size, unit))
        return std::nullopt;
    return static_cast<std::uint32_t>(size);
}

std::optional<image_version> strict_version(std::string_view text) noexcept
{
    constexpr auto& fields = rule_values::version_fields;
    unsigned values[std::size(fields)] = {};
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        const std::size_t dot = i + 1 < std::size(fields) ? text.find('.') : text.size();
        const std::string_view field = text.substr(0, dot);
        const std::optional<unsigned> value = number_of<unsigned>(field, 10);
        if (dot == std::string_view::npos || !value || field.size() < fields[i][0] ||
            field.size() > fields[i][1])
            return std::nullopt;
        values[i] = *value;
        text.remove_prefix(std::min(text.size(), dot + 1));
    }
    // The fourth field holds beta and alpha, two digits each.
    return image_version{static_cast<std::uint8_t>(values[0]), static_cast<std::uint8_t>(values[1]),
                         static_cast<std::uint8_t>(values[2]),
                         static_cast<std::uint8_t>(values[3] / 100),
                         static_cast<std::uint8_t>(values[3] % 100)};
}

std::optional<std::uint16_t> strict_device_id(std::string_view text) noexcept
{
    if (text.starts_with("0x") || text.starts_with("0X"))
        text.remove_prefix(2);
    const std::optional<std::uint16_t> id = number_of<std::uint16_t>(text, 16);
    if (!id || !device_id_accepted(*id))
        return std::nullopt;
    return id;
}

namespace {

// What corvane, which reads its words as it always has (image/arg_values.h), stamps for a word the
// strict reading refuses, where it stamps anything: "; corvane stamps 0x8640 for it" for -i 18640,
// so that a word carried over from a corvane command line is not taken for a typo of the rule.
std::string legacy_reading(char option, std::string_view word, std::uint32_t unit)
{
    std::string stamped;
    if (option == 's') {
        const std::int32_t kb = decimal_value(word);
        const std::uint32_t size = image_size_from_kb(kb);
        if (size_value_ok(kb) && size != 0 && whole_units(size, unit))
            stamped = std::to_string(size) + " bytes";
    } else if (option == 'v') {
        if (const auto version = parse_version_text(word))
            stamped = version_numbers(*version);
    } else if (option == 'i') {
        if (const std::uint16_t id = device_id_from_digits(word); device_id_accepted(id)) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%04x", unsigned{id});
            stamped = hex;
        }
    }
    return stamped.empty() ? "" : "; corvane stamps " + stamped + " for it";
}

} // namespace

std::string read_strict_word(char option, std::string_view word, strict_values& values)
{
    const std::uint32_t unit = size_unit_of(values.kind);
    const std::string unit_kb = std::to_string(unit / 1024);
    switch (option) {
    case 't':
        values.kind = find_image_kind(word);
        return values.kind ? "" : std::string("not ") + rule_values::kind_rule;
    case 's':
        values.size = strict_image_size(word, unit);
        return values.size ? ""
                           : "not a whole number of " + unit_kb + " KB from " + unit_kb + " to " +
                                 std::to_string(largest_image_size(unit) / 1024) +
                                 legacy_reading(option, word, unit);
    case 'v':
        if (const auto version = strict_version(word)) {
            values.version = *version;
            return "";
        }
        return std::string("not ") + rule_values::version_rule + legacy_reading(option, word, unit);
    }
    if (const auto id = strict_device_id(word)) {
        values.device_id = *id;
        return "";
    }
    return std::string("not ") + rule_values::device_id_rule + legacy_reading('i', word, unit);
}

const char* strict_option_name(char option) noexcept
{
    return option == 't'   ? "--kind"
           : option == 's' ? "--size"
           : option == 'v' ? "--image-version"
                           : "--device-id";
}

} // namespace corvane
