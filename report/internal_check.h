#pragma once

#include "io/standard_streams.h"

namespace corvane {

// A broken internal invariant, with the place its message has always named: scripts match the
// whole line "Assertion failed: EXPR, file driver.cpp, line N", so the place is a fixed value,
// the same whatever file of today's source holds the check and wherever it stands there.
struct internal_check {
    const char* expression;
    int line;
};

// Writes the check's line on standard error (on standard output where standard error is the image),
// once standard output has let out what it holds, so that a log of both streams shows it after the
// last progress line. The caller ends the run with
// its internal-check status and does not touch the file again.
void print_internal_check(const report_streams& streams, const internal_check& check) noexcept;

} // namespace corvane
