#pragma once

#include <span>

namespace corvane {

// One run of the tool over the argument vector (program path included):
// greeting, argument checks in their fixed order, argument echo, header
// record, stamping. Returns the process exit status.
[[nodiscard]] int run_corvane(std::span<char* const> args);

// Flushes standard output; a report that could not be written turns a
// successful status into a failure.
[[nodiscard]] int finish_output(int status);

} // namespace corvane
