#pragma once

#include <cstdio>
#include <string>

#include "verify/verify_image.h"
#include "verify/verify_run.h"

namespace corvane {

// What a failed check found and expected, in words, for example
// "CRC 0x1234abcd stored, 0x5c9af745 computed".
[[nodiscard]] std::string reason_text(const failed_check& failed);

// A SHA-256 in lower-case hexadecimal, as corvane-stamp and the manifests write it.
[[nodiscard]] std::string digest_text(const digest_bytes& digest);

// One file's report: its name, the header's lines when the file has one
// (those the stamping prints, then its kind, its version as -v takes it, size and device id), and
// the verdict, "OK" or one "INVALID: <reason>" line per failed check.
void print_text_report(std::FILE* out, const checked_file& file);

// One file in a line, as a manifest's listing gives each image: "NAME: OK", "NAME: INVALID:
// REASON; REASON..." or "NAME: ERROR: why it could not be read".
void print_listing_line(std::FILE* out, const checked_file& file);

// Why a file could not be checked, for standard error: "corvane-verify: NAME: REASON", and the
// standard streams left out as they cannot be told apart from it.
void print_unchecked(std::FILE* err, const checked_file& file);

// The count line that ends a text report of several files, after an empty line where a report
// came before it: "3 files: 2 OK, 1 INVALID, 0 errors".
struct file_count {
    unsigned files = 0;
    unsigned valid = 0;
    unsigned invalid = 0;
};
void print_count_line(std::FILE* out, const file_count& count, bool after_a_report);

} // namespace corvane
