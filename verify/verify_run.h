#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "io/standard_streams.h"
#include "verify/verify_file.h"
#include "verify/verify_image.h"

namespace corvane {

struct checked_file {
    std::string_view name;
    file_check check;
    unsigned maybe = 0; // standard streams left out as they cannot be told apart from the file
};

// What a run of the checker found, before a byte of it is printed.
struct verify_run {
    std::vector<checked_file> files; // in the order given
    report_streams streams;          // where the reports may go
    standard_stream_files standard;  // what the standard streams are
};

// A file to check, and what it must be.
struct file_to_check {
    std::string_view name;
    expected_image expected;
};

// Checks every file named, and compares each standard stream with every one of them, read or
// not: a stream that is one of them is left out of `streams`, so that no report can land in a
// file it names, and that file is not judged; so is one that cannot be told apart from a file
// named, or that the system cannot describe.
[[nodiscard]] verify_run check_files(std::span<const file_to_check> files);

} // namespace corvane
