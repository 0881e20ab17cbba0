#include "report/verify_json.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "image/image_kinds.h"
#include "image/version_text.h"
#include "io/output.h"
#include "report/utf8.h"
#include "report/verify_text.h"

namespace corvane {

namespace {

using json = nlohmann::ordered_json;

std::string hex_bytes(std::string_view bytes)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += digits[byte >> 4];
        hex += digits[byte & 0xF];
    }
    return hex;
}

std::string hex_number(const char* format, unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A checksum as the reports print it, for tools that cannot turn a number into hex: "5C9AF745".
json crc_hex(std::uint32_t crc) { return hex_number("%08X", crc); }

// The check's short name, for machine-readable reports: "checksum", say.
const char* check_name(image_check check) noexcept
{
    static constexpr std::array<const char*, image_check_count> names = {
        "min_length",    "length_unit",      "signature",          "type_code",
        "size_field",    "device_id",        "checksum",           "expected_kind",
        "expected_size", "expected_version", "expected_device_id", "expected_digest"};
    static_assert(std::ranges::none_of(names, [](const char* name) { return name == nullptr; }),
                  "every check has a name");
    return names[static_cast<std::size_t>(check)];
}

// The name as a JSON string can hold it: each byte that is not part of a UTF-8 character as U+FFFD.
std::string utf8_name(std::string_view name)
{
    std::string text;
    for (std::size_t at = 0; at < name.size();) {
        char32_t code = 0;
        const std::size_t n = utf8_sequence(name.substr(at), code);
        text += n == 0 ? std::string_view("\xEF\xBF\xBD") : name.substr(at, n);
        at += std::max<std::size_t>(n, 1);
    }
    return text;
}

// JSON text with the controls that JSON lets stand (DEL and C1) and the bidirectional controls
// written as \u escapes, so that a terminal that shows it acts on none of them: the JSON escapes
// the C0 controls itself, and its own line ends are not in strings.
std::string terminal_safe(std::string_view text)
{
    std::string safe;
    for (std::size_t at = 0; at < text.size();) {
        char32_t code = 0;
        const std::size_t n = std::max<std::size_t>(utf8_sequence(text.substr(at), code), 1);
        if (code >= 0x7F && (is_control(code) || is_bidi_control(code)))
            safe += hex_number("\\u%04x", static_cast<unsigned>(code));
        else
            safe += text.substr(at, n);
        at += n;
    }
    return safe;
}

json header_object(const image_header& header)
{
    const image_kind* kind = kind_of_type_code(header_type(header));
    const image_version v = header_version(header);
    const auto& b = header.bytes;
    return {
        {"signature", image_signature},
        {"type", header_type(header)},
        {"kind", kind != nullptr ? json(kind->word) : json(nullptr)},
        {"version",
         {{"major", v[0]}, {"minor", v[1]}, {"oem", v[2]}, {"beta", v[3]}, {"alpha", v[4]}}},
        {"version_text", version_word(v) ? json(*version_word(v)) : json(nullptr)},
        {"size", header_size(header)},
        {"device_id", header_device_id(header)},
        {"device_id_hex", hex_number("0x%04x", header_device_id(header))},
        {"reserved", hex_bytes({reinterpret_cast<const char*>(&b[header_field::reserved]),
                                header_field::crc - header_field::reserved})},
        {"crc", header_crc(header)},
    };
}

json file_object(const checked_file& file)
{
    const file_check& check = file.check;
    const bool has_header = check.shows_header();
    json reasons = json::array();
    json failed_checks = json::array();
    if (!check.read)
        reasons.push_back(check.error);
    for (const failed_check& failed : check.verdict.failures()) {
        reasons.push_back(reason_text(failed));
        failed_checks.push_back(check_name(failed.check));
    }
    json object;
    const std::string name = utf8_name(file.name);
    object["file"] = name;
    if (name != file.name)
        object["file_bytes"] = hex_bytes(file.name);
    object["verdict"] = !check.read ? "ERROR" : check.verdict.valid() ? "OK" : "INVALID";
    object["reasons"] = std::move(reasons);
    object["failed_checks"] = std::move(failed_checks);
    // A file that could not be read has none of what follows.
    object["length"] = check.read ? json(check.state.length) : json(nullptr);
    object["header"] = has_header ? header_object(check.header) : json(nullptr);
    object["stored_crc"] = has_header ? json(header_crc(check.header)) : json(nullptr);
    object["stored_crc_hex"] = has_header ? crc_hex(header_crc(check.header)) : json(nullptr);
    object["computed_crc"] = check.read ? json(check.computed_crc) : json(nullptr);
    object["computed_crc_hex"] = check.read ? crc_hex(check.computed_crc) : json(nullptr);
    if (check.sha256) // where a manifest gives the file's digest
        object["sha256"] = digest_text(*check.sha256);
    return object;
}

} // namespace

void print_json_report(std::FILE* out, std::span<const checked_file> files)
{
    // As the whole array would be dumped with an indent of 2, an object at a time: each object
    // one level in, between the brackets.
    put(out, "[\n");
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string text = "  ";
        for (const char c : terminal_safe(
                 file_object(files[i]).dump(2, ' ', false, json::error_handler_t::replace))) {
            text += c;
            if (c == '\n')
                text += "  ";
        }
        put(out, text + (i + 1 < files.size() ? ",\n" : "\n"));
    }
    put(out, "]\n");
}

} // namespace corvane
