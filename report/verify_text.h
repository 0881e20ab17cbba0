#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "verify/verify_file.h"
#include "verify/verify_image.h"

namespace corvane {

// A file name fit for a terminal: a backslash and the bytes of control
// characters (C0, DEL, C1), of the bidirectional embeddings, overrides and
// isolates, and of anything that is not UTF-8 are written as C escapes (\\,
// \n, \t, \x1b, \xc2\x9b); every other character as it is.
[[nodiscard]] std::string printable_name(std::string_view name);

// The five version bytes as the header report prints them: "1.0.0.21.1".
[[nodiscard]] std::string version_numbers(const image_version& version);

// The version as the -v word that stamps it ("1.0.0.2101"), where the bytes can be written so:
// three numbers of one or two digits, then two of two digits.
[[nodiscard]] std::optional<std::string> version_word(const image_version& version);

// What a failed check found and expected, in words, for example
// "CRC 0x1234abcd stored, 0x5c9af745 computed".
[[nodiscard]] std::string reason_text(const failed_check& failed);

// The check's short name, for machine-readable reports: "checksum", say.
[[nodiscard]] const char* check_name(image_check check) noexcept;

// One file's report: its name, the header's lines when the file has one
// (those the stamping prints, then its kind, size and device id), and the
// verdict, "OK" or one "INVALID: <reason>" line per failed check.
void print_text_report(std::FILE* out, std::string_view name, const file_check& check);

} // namespace corvane
