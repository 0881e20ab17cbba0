#pragma once

#include <span>
#include <string>

#include "verify/verify_image.h"

namespace corvane {

struct verify_options {
    bool json = false;
    bool quiet = false;
    bool full = false;       // the full report of each image a manifest lists, not a line
    expected_image expected; // what every file named must be, from the words that stamped it
    std::span<char* const> files;
    const char* manifest = nullptr; // the images it lists, each with its own words
};

enum class options_action { check, help, version, refused };

struct parsed_options {
    options_action action = options_action::refused;
    verify_options options;
    std::string refusal; // what a refused command line says on standard error, lines and all
};

// Reads the command line (program path first) with getopt_long: -j/--json, -q/--quiet,
// -h/--help, -V/--version, the expected -t/--kind, -s/--size, -v/--image-version and
// -i/--device-id, -c/--check MANIFEST, then the files ("--" ends the options). Prints nothing, and
// may be called again: getopt is started afresh each time. As getopt does, it may reorder the
// words, the files last.
[[nodiscard]] parsed_options parse_options(std::span<char*> args);

[[nodiscard]] std::string help_text();
[[nodiscard]] std::string version_text();

} // namespace corvane
