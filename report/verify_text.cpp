#include "report/verify_text.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <iterator>

#include "image/image_kinds.h"
#include "image/image_rules.h"
#include "io/output.h"
#include "report/header_text.h"

namespace corvane {

namespace {

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
formatted(const char* format, ...)
{
    char text[160];
    std::va_list values;
    va_start(values, format);
    std::vsnprintf(text, sizeof text, format, values);
    va_end(values);
    return text;
}

// "0x0, 0x2, ..." for the values the projection takes from the items, each written by `format`.
template <typename Items, typename Projection>
std::string listed(const Items& items, const char* format, Projection value_of)
{
    std::string list;
    for (const auto& item : items)
        list += (list.empty() ? "" : ", ") + formatted(format, value_of(item));
    return list;
}

std::string type_codes()
{
    return listed(image_type_table, "0x%x",
                  [](const image_kind& k) { return unsigned{k.type_code}; });
}
std::string device_ids(const char* format)
{
    return listed(accepted_device_ids, format, [](std::uint16_t id) { return unsigned{id}; });
}

std::string signature_text(std::uint64_t bytes)
{
    std::string text;
    for (int shift = 56; shift >= 0; shift -= 8)
        text += formatted(shift == 56 ? "%02x" : " %02x", unsigned((bytes >> shift) & 0xFFu));
    return text;
}

// The length of the valid UTF-8 sequence that starts the text, with its code
// point in `code`; 0 when the text does not start with one.
std::size_t utf8_sequence(std::string_view text, char32_t& code)
{
    const auto byte = [text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 1;
    char32_t least = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, code = lead & 0x1Fu, least = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, code = lead & 0x0Fu, least = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, code = lead & 0x07u, least = 0x10000;
    else
        return 0;
    if (text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0u) != 0x80u)
            return 0;
        code = code << 6 | (byte(i) & 0x3Fu);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < least || code > 0x10FFFF || surrogate ? 0 : length;
}

// C0, DEL and C1: a terminal acts on them instead of showing them.
bool is_control(char32_t code) { return code < 0x20 || (code >= 0x7F && code <= 0x9F); }

// The embeddings, overrides and isolates that make a terminal show text in
// another order than it stands in.
bool is_bidi_control(char32_t code)
{
    return (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
}

const char* kind_word(std::uint64_t type_code)
{
    const image_kind* kind =
        type_code <= 0xFF ? kind_of_type_code(static_cast<std::uint8_t>(type_code)) : nullptr;
    return kind != nullptr ? kind->word.data() : "no kind";
}

} // namespace

std::string version_numbers(const image_version& v)
{
    return formatted("%u.%u.%u.%u.%u", unsigned{v[0]}, unsigned{v[1]}, unsigned{v[2]},
                     unsigned{v[3]}, unsigned{v[4]});
}

std::optional<std::string> version_word(const image_version& v)
{
    if (v[0] > 99 || v[1] > 99 || v[2] > 99 || v[3] > 99 || v[4] > 99)
        return std::nullopt;
    return formatted("%u.%u.%u.%02u%02u", unsigned{v[0]}, unsigned{v[1]}, unsigned{v[2]},
                     unsigned{v[3]}, unsigned{v[4]});
}

std::string printable_name(std::string_view name)
{
    std::string text;
    for (std::size_t at = 0; at < name.size();) {
        char32_t code = 0;
        const std::size_t n = utf8_sequence(name.substr(at), code);
        if (n == 1 && code == '\\')
            text += "\\\\";
        else if (n == 1 && code == '\n')
            text += "\\n";
        else if (n == 1 && code == '\t')
            text += "\\t";
        else if (n == 0 || is_control(code) || is_bidi_control(code))
            for (std::size_t i = at; i < at + std::max<std::size_t>(n, 1); ++i)
                text += formatted("\\x%02x", unsigned{static_cast<unsigned char>(name[i])});
        else
            text += name.substr(at, n);
        at += std::max<std::size_t>(n, 1);
    }
    return text;
}

std::string reason_text(const failed_check& failed)
{
    const auto found = static_cast<unsigned long long>(failed.found);
    const auto expected = static_cast<unsigned long long>(failed.expected);
    switch (failed.check) {
    case image_check::min_length:
        return formatted("length %llu bytes, at least %llu expected", found, expected);
    case image_check::length_unit:
        return formatted("length %llu bytes, a multiple of %llu expected", found, expected);
    case image_check::signature:
        return "signature bytes " + signature_text(failed.found) + " found, \"" +
               std::string(image_signature) + "\" expected";
    case image_check::type_code:
        return formatted("type 0x%llx found, one of ", found) + type_codes() + " expected";
    case image_check::size_field:
        return formatted("size 0x%llx stored, file length 0x%llx", found, expected);
    case image_check::device_id:
        return formatted("device id 0x%llx stored, one of ", found) + device_ids("0x%x") +
               " expected";
    case image_check::checksum:
        return formatted("CRC 0x%08llx stored, 0x%08llx computed", found, expected);
    case image_check::expected_kind:
        return formatted("type 0x%llx (%s) stored, 0x%llx (%s) expected", found,
                         kind_word(failed.found), expected, kind_word(failed.expected));
    case image_check::expected_size:
        return formatted("size 0x%llx stored, 0x%llx expected", found, expected);
    case image_check::expected_version:
        return "version " + version_numbers(version_of_number(failed.found)) + " stored, " +
               version_numbers(version_of_number(failed.expected)) + " expected";
    case image_check::expected_device_id:
        return formatted("device id 0x%llx stored, 0x%llx expected", found, expected);
    }
    return "unknown check";
}

const char* check_name(image_check check) noexcept
{
    // In the order of image_check.
    constexpr const char* names[] = {"min_length",       "length_unit",       "signature",
                                     "type_code",        "size_field",        "device_id",
                                     "checksum",         "expected_kind",     "expected_size",
                                     "expected_version", "expected_device_id"};
    static_assert(std::size(names) == image_check_count);
    return names[static_cast<std::size_t>(check)];
}

void print_text_report(std::FILE* out, std::string_view name, const file_check& check)
{
    put(out, "file = " + printable_name(name) + "\n");
    if (check.shows_header()) {
        print_image_header(out, check.header);
        const image_kind* kind = kind_of_type_code(header_type(check.header));
        print(out, "header kind = %s\n",
              kind != nullptr ? std::string(kind->word).c_str() : "none");
        print(out, "header size = 0x%x\n", unsigned{header_size(check.header)});
        print(out, "header device id = 0x%x\n", unsigned{header_device_id(check.header)});
    }
    if (check.verdict.valid())
        put(out, "OK\n");
    for (const failed_check& failed : check.verdict.failures())
        put(out, "INVALID: " + reason_text(failed) + "\n");
}

} // namespace corvane
