#pragma once

#include <span>
#include <string>

#include "stamp/out_of_place.h"

namespace corvane {

enum class stamp_action { stamp, gather, help, version, refused };
enum class progress_choice { automatic, always, never };

struct stamp_options {
    copy_request request;
    bool json = false;
    progress_choice progress = progress_choice::automatic;
};

struct parsed_stamp_options {
    stamp_action action = stamp_action::refused;
    stamp_options options;
    std::string refusal; // what a refused command line says on standard error, lines and all
};

// Reads corvane-stamp's command line (program path first) with getopt_long, GNU style, options in
// any order: -t/--kind, -s/--size, -v/--image-version, -i/--device-id, --json, --progress,
// --no-progress, --record RECORD, -h/--help, -V/--version, then INPUT and OUTPUT ("--" ends the
// options); or --gather alone, then RECORDS and MANIFEST (in the request's input and output).
// Every word is read strictly (image/strict_words.h). Prints nothing, and may be called again.
[[nodiscard]] parsed_stamp_options parse_stamp_options(std::span<char*> args);

[[nodiscard]] std::string stamp_help_text();
[[nodiscard]] std::string stamp_version_text();

} // namespace corvane
