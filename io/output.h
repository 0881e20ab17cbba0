#pragma once

#include <cstdio>
#include <string_view>

namespace corvane {

// The tools' output on standard output and standard error goes through here. A null stream is
// one the run must not write to, because it is a file the run works on: what is put there is
// dropped.
void put(std::FILE* stream, std::string_view text) noexcept;

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void print(std::FILE* stream, const char* format, ...) noexcept;

} // namespace corvane
