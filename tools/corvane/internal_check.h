#pragma once

namespace corvane {

// Stops the process on a broken internal invariant: flushes standard output so
// that no progress line is lost, writes "Assertion failed: EXPR, file F, line N"
// on standard error and exits with status 3. The file is not touched again.
// Called through CORVANE_INTERNAL_CHECK_FAILED, which supplies the place.
[[noreturn]] void internal_check_failed(const char* expression, const char* file, int line);

} // namespace corvane

#define CORVANE_INTERNAL_CHECK_FAILED(expression)                                                  \
    ::corvane::internal_check_failed((expression), __FILE__, __LINE__)
