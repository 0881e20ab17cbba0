#pragma once

namespace corvane {

// A broken internal invariant, with the place its message has always named: scripts match the
// whole line "Assertion failed: EXPR, file driver.cpp, line N", so the place is a fixed value
// that does not move when the code is edited.
struct internal_check {
    const char* expression;
    int line;
};

// The version text has exactly four digits after its third dot.
inline constexpr internal_check version_digits = {"(dot[3]-dot[2]-1)==4", 101};
// The padded file measures the requested size.
inline constexpr internal_check padded_length = {"(ZT_U32)target_size==image_size", 114};

// Stops the process: flushes standard output so that no progress line is lost, writes the
// check's message on standard error and exits with status 3. The file is not touched again.
[[noreturn]] void internal_check_failed(const internal_check& check);

} // namespace corvane
