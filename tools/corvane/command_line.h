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

enum class command_verdict {
    accepted,
    refused,     // by a check with its own message
    bad_version, // the version text fails its internal check
};

// The checks of the command line in their fixed order, made before anything is printed: what the
// words ask for, or the first check they fail and the text that says so.
struct command_check {
    command_verdict verdict = command_verdict::refused;
    bool echoed = false;           // the words passed the checks that come before their echo
    const char* message = nullptr; // a refusal's fixed text, a printf format of `values`
    unsigned values[2] = {};
    stamp_request request{};
    const image_kind* named = nullptr; // the kind position 2 names, refused or not: its file is the
                                       // image, which no stream may print into
};

// Touches no file and prints nothing.
[[nodiscard]] command_check check_command_line(std::span<char* const> args) noexcept;

// One run of the tool over the argument vector (program path included):
// argument checks, the claim on the image, greeting, echo, stamping. Returns
// the process exit status; a report that could not be written fails a
// stamped run.
[[nodiscard]] int run_corvane(std::span<char* const> args);

} // namespace corvane
