#pragma once

#include <cstdio>
#include <string_view>

namespace corvane {

// The tools' output on standard output and standard error goes through here. While a stream is
// held, what is written to it waits in static storage, large enough for everything a run prints
// before it knows whether the stream is its image (the greeting and the longest argument echo the
// system allows), whatever buffering the C library or the caller asks for; once released, it
// goes straight to the stream. See standard_streams.h for when a stream is held.
void put(std::FILE* stream, std::string_view text) noexcept;

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void print(std::FILE* stream, const char* format, ...) noexcept;

void hold_output(std::FILE* stream) noexcept;
// Writes out what was held, or drops it, and stops holding.
void release_output(std::FILE* stream, bool drop) noexcept;

} // namespace corvane
