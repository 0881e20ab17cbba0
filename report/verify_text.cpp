#include "report/verify_text.h"

#include <cstdarg>
#include <cstdint>
#include <iterator>

#include "image/image_kinds.h"
#include "image/image_rules.h"
#include "report/header_text.h"

namespace corvane {

namespace {

__attribute__((format(printf, 1, 2))) std::string formatted(const char* format, ...)
{
    char text[160];
    std::va_list values;
    va_start(values, format);
    std::vsnprintf(text, sizeof text, format, values);
    va_end(values);
    return text;
}

// "0x0, 0x2, ..." for the values the projection takes from the items.
template <typename Items, typename Projection>
std::string hex_list(const Items& items, Projection value_of)
{
    std::string list;
    for (const auto& item : items)
        list += (list.empty() ? "" : ", ") + formatted("0x%x", unsigned{value_of(item)});
    return list;
}

std::string signature_text(std::uint64_t bytes)
{
    std::string text;
    for (int shift = 56; shift >= 0; shift -= 8)
        text += formatted(shift == 56 ? "%02x" : " %02x", unsigned((bytes >> shift) & 0xFFu));
    return text;
}

} // namespace

std::string printable_name(std::string_view name)
{
    std::string text;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            text += "\\\\";
        else if (c == '\n')
            text += "\\n";
        else if (c == '\t')
            text += "\\t";
        else if (byte < 0x20 || byte == 0x7F)
            text += formatted("\\x%02x", unsigned{byte});
        else
            text += c;
    }
    return text;
}

std::string reason_text(const failed_check& failed)
{
    const auto found = static_cast<std::uintmax_t>(failed.found);
    const auto expected = static_cast<std::uintmax_t>(failed.expected);
    switch (failed.check) {
    case image_check::min_length:
        return formatted("length %ju bytes, at least %ju expected", found, expected);
    case image_check::length_unit:
        return formatted("length %ju bytes, a multiple of %ju expected", found, expected);
    case image_check::signature:
        return "signature bytes " + signature_text(failed.found) + " found, \"" +
               std::string(image_signature) + "\" expected";
    case image_check::type_code:
        return formatted("type 0x%jx found, one of ", found) +
               hex_list(image_type_table, [](const image_kind& k) { return k.type_code; }) +
               " expected";
    case image_check::size_field:
        return formatted("size 0x%jx stored, file length 0x%jx", found, expected);
    case image_check::device_id:
        return formatted("device id 0x%jx stored, one of ", found) +
               hex_list(accepted_device_ids, [](std::uint16_t id) { return id; }) + " expected";
    case image_check::checksum:
        return formatted("CRC 0x%08jx stored, 0x%08jx computed", found, expected);
    }
    return "unknown check";
}

const char* check_name(image_check check) noexcept
{
    // In the order of image_check.
    constexpr const char* names[] = {"min_length", "length_unit", "signature", "type_code",
                                     "size_field", "device_id",   "checksum"};
    static_assert(std::size(names) == static_cast<std::size_t>(image_check::checksum) + 1);
    return names[static_cast<std::size_t>(check)];
}

void print_text_report(std::FILE* out, std::string_view name, const file_check& check)
{
    std::fprintf(out, "file = %s\n", printable_name(name).c_str());
    if (check.shows_header()) {
        print_image_header(out, check.header);
        const image_kind* kind = kind_of_type_code(header_type(check.header));
        std::fprintf(out, "header kind = %s\n",
                     kind != nullptr ? std::string(kind->word).c_str() : "none");
        std::fprintf(out, "header size = 0x%x\n", unsigned{header_size(check.header)});
        std::fprintf(out, "header device id = 0x%x\n", unsigned{header_device_id(check.header)});
    }
    if (check.verdict.valid())
        std::fputs("OK\n", out);
    for (const failed_check& failed : check.verdict.failures())
        std::fprintf(out, "INVALID: %s\n", reason_text(failed).c_str());
}

} // namespace corvane
