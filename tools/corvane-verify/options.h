#pragma once

#include <span>

#include "verify/verify_image.h"

namespace corvane {

struct verify_options {
    bool json = false;
    bool quiet = false;
    expected_image expected; // what every file must be, from the words that stamped it
    std::span<char* const> files;
};

enum class options_action { check, help, version, usage_error };

// Reads the command line with getopt_long: -j/--json, -q/--quiet, -h/--help,
// -V/--version, the expected -t/--kind, -s/--size, -v/--image-version and
// -i/--device-id, then the files ("--" ends the options). A usage error has
// been reported on standard error when it returns.
[[nodiscard]] options_action parse_options(int argc, char* argv[], verify_options& options);

void print_help();
void print_version();

} // namespace corvane
