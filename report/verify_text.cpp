#include "report/verify_text.h"

#include <cstdarg>
#include <cstdint>
#include <variant>

#include "image/device_ids.h"
#include "image/image_kinds.h"
#include "image/sha256.h"
#include "image/version_text.h"
#include "io/output.h"
#include "report/header_text.h"
#include "report/printable_name.h"

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
std::string device_ids()
{
    return listed(accepted_device_ids, "0x%x", [](std::uint16_t id) { return unsigned{id}; });
}

std::string signature_text(const signature_bytes& bytes)
{
    std::string text;
    for (const std::uint8_t byte : bytes)
        text += formatted(text.empty() ? "%02x" : " %02x", unsigned{byte});
    return text;
}

const char* kind_word(unsigned long long type_code)
{
    const image_kind* kind =
        type_code <= 0xFF ? kind_of_type_code(static_cast<std::uint8_t>(type_code)) : nullptr;
    return kind != nullptr ? kind->word.data() : "no kind";
}

// A version as -v writes it, "1.0.0.2101"; its five numbers where it cannot be written so.
std::string version_text(const image_version& version)
{
    return version_word(version).value_or(version_numbers(version));
}

unsigned long long number(const check_value& value) { return std::get<std::uint64_t>(value); }

} // namespace

std::string digest_text(const digest_bytes& digest)
{
    const std::array<char, 64> hex = digest_hex(digest);
    return {hex.data(), hex.size()};
}

std::string reason_text(const failed_check& failed)
{
    const unsigned long long found =
        std::holds_alternative<std::uint64_t>(failed.found) ? number(failed.found) : 0;
    const unsigned long long expected =
        std::holds_alternative<std::uint64_t>(failed.expected) ? number(failed.expected) : 0;
    switch (failed.check) {
    case image_check::min_length:
        return formatted("length %llu bytes, at least %llu expected", found, expected);
    case image_check::length_unit:
        return formatted("length %llu bytes, a multiple of %llu expected", found, expected);
    case image_check::signature: {
        const auto& wanted = std::get<signature_bytes>(failed.expected);
        return "signature bytes " + signature_text(std::get<signature_bytes>(failed.found)) +
               " found, \"" + std::string(wanted.begin(), wanted.end()) + "\" expected";
    }
    case image_check::type_code:
        return formatted("type 0x%llx found, one of ", found) + type_codes() + " expected";
    case image_check::size_field:
        return formatted("size 0x%llx stored, file length 0x%llx", found, expected);
    case image_check::device_id:
        return formatted("device id 0x%llx stored, one of ", found) + device_ids() + " expected";
    case image_check::checksum:
        return formatted("CRC 0x%08llx stored, 0x%08llx computed", found, expected);
    case image_check::expected_kind:
        return formatted("type 0x%llx (%s) stored, 0x%llx (%s) expected", found, kind_word(found),
                         expected, kind_word(expected));
    case image_check::expected_size:
        return formatted("size 0x%llx stored, 0x%llx expected", found, expected);
    case image_check::expected_version:
        return "version " + version_text(std::get<image_version>(failed.found)) + " stored, " +
               version_text(std::get<image_version>(failed.expected)) + " expected";
    case image_check::expected_device_id:
        return formatted("device id 0x%llx stored, 0x%llx expected", found, expected);
    case image_check::expected_digest:
        return "SHA-256 " + digest_text(std::get<digest_bytes>(failed.found)) + " found, " +
               digest_text(std::get<digest_bytes>(failed.expected)) + " expected";
    case image_check::count:
        break;
    }
    return "unknown check";
}

void print_text_report(std::FILE* out, const checked_file& file)
{
    const file_check& check = file.check;
    put(out, "file = " + printable_name(file.name) + "\n");
    if (check.shows_header()) {
        print_image_header(out, check.header);
        const image_kind* kind = kind_of_type_code(header_type(check.header));
        print(out, "header kind = %s\n",
              kind != nullptr ? std::string(kind->word).c_str() : "none");
        // The version as -v takes it: the line above writes 1.0.0.2101 as 1.0.0.21.1.
        put(out, "header version text = " +
                     version_word(header_version(check.header)).value_or("none") + "\n");
        print(out, "header size = 0x%x\n", unsigned{header_size(check.header)});
        print(out, "header device id = 0x%x\n", unsigned{header_device_id(check.header)});
    }
    if (check.verdict.valid())
        put(out, "OK\n");
    for (const failed_check& failed : check.verdict.failures())
        put(out, "INVALID: " + reason_text(failed) + "\n");
}

void print_listing_line(std::FILE* out, const checked_file& file)
{
    std::string line = printable_name(file.name) + ": ";
    if (!file.check.read)
        line += "ERROR: " + file.check.error;
    else if (file.check.verdict.valid())
        line += "OK";
    const char* before = "INVALID: ";
    for (const failed_check& failed : file.check.verdict.failures()) {
        line += before + reason_text(failed);
        before = "; ";
    }
    put(out, line + "\n");
}

void print_unchecked(std::FILE* err, const checked_file& file)
{
    const std::string name = printable_name(file.name);
    put(err, "corvane-verify: " + name + ": " + file.check.error + "\n");
    say_maybe(err, "corvane-verify", file.maybe, name);
}

void print_count_line(std::FILE* out, const file_count& count, bool after_a_report)
{
    const unsigned errors = count.files - count.valid - count.invalid;
    print(out, "%s%u files: %u OK, %u INVALID, %u error%s\n", after_a_report ? "\n" : "",
          count.files, count.valid, count.invalid, errors, errors == 1 ? "" : "s");
}

} // namespace corvane
