#pragma once

#include <source_location>

namespace corvane {

// Stops the process on a broken internal invariant: flushes standard output so
// that no progress line is lost, writes "Assertion failed: EXPR, file F, line N"
// on standard error and exits with status 3. The file is not touched again.
[[noreturn]] void internal_check_failed(
    const char* expression, std::source_location where = std::source_location::current());

} // namespace corvane
