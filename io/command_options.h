#pragma once

#include <array>
#include <bitset>
#include <span>
#include <string>
#include <string_view>

#include "image/strict_words.h"

namespace corvane {

// An option a tool takes by a long name: --NAME, or --NAME VALUE where it takes a value. `code` is
// its short letter where it has one, else a number of 256 or more.
struct long_option {
    const char* name;
    bool takes_value;
    int code;
};

enum class command_action { run, help, version, refused };

// What a command line of corvane-stamp or corvane-verify gave.
struct command_line {
    command_action action = command_action::refused;
    strict_values words; // the image's words, where given()
    std::span<char*> operands;
    std::string refusal; // what a refused command line says on standard error, lines and all

    [[nodiscard]] bool given(int code) const noexcept;
    // The value given with that option, or null.
    [[nodiscard]] const char* value(int code) const noexcept;

    std::bitset<512> given_codes;
    std::array<const char*, 512> values{};
};

// Reads a tool's command line (program path first) with getopt_long, GNU style: short options in
// clusters, long ones by any unambiguous start, --NAME=VALUE, options and operands in any order,
// "--" ending the options. Every tool takes the image's words, -t/--kind, -s/--size,
// -v/--image-version and -i/--device-id, each read strictly (image/strict_words.h: one reader for
// every tool and the manifest), the size in the unit of the kind wherever -t stands; and
// -h/--help and -V/--version, each alone. The tool's own options come in `own_short` (getopt's
// form) and `own_long`. Refused: a word that is not an option, one that needs a value, an
// option given twice (whose last value would silently win), a word its rule refuses, --help or
// --version beside any other word; each refusal is "TOOL: WHY" and, but for the words' rules,
// the line that points to --help. The words a refusal repeats are written fit for a terminal by
// `printable`. Prints nothing, and may be called again: getopt is started afresh each time.
[[nodiscard]] command_line read_command_line(std::span<char*> args, const char* tool,
                                             const char* own_short,
                                             std::span<const long_option> own_long,
                                             std::string (*printable)(std::string_view));

} // namespace corvane
