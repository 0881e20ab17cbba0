#pragma once

#include <cstdint>
#include <span>

#include "image/image_header.h"
#include "image/image_kinds.h"

namespace corvane {

// What a command line that passed every check asks for.
struct stamp_request {
    const image_kind* kind;
    image_version version;
    std::uint32_t image_size;
    std::uint16_t device_id;
};

enum class command_check {
    accepted,
    refused,     // its message has been printed
    bad_version, // the version text fails its internal check, which ends the process
};

// The argument checks in their fixed order, after the greeting: prints the
// message of the first check that fails, or the argument echo, and fills
// `request` when every check passes. Touches no file.
[[nodiscard]] command_check check_command_line(std::span<char* const> args, stamp_request& request);

// One run of the tool over the argument vector (program path included):
// greeting, argument checks, header record, stamping. Returns the process
// exit status; a report that could not be written fails a stamped run.
[[nodiscard]] int run_corvane(std::span<char* const> args);

} // namespace corvane
