#pragma once

#include <cstdio>

#include "io/image_file.h"

namespace corvane {

// What each platform gives standard_streams.cpp.

// The streams made valid and binary, before anything is printed.
void set_streams_up() noexcept;
// A regular file on a disk: a terminal, a pipe or the null device is never an image.
[[nodiscard]] bool is_regular_file(std::FILE* stream) noexcept;
// The file in `image`.
[[nodiscard]] bool is_same_file(std::FILE* stream, const file_state& image) noexcept;
// Points the stream at the null device.
void point_at_null(std::FILE* stream) noexcept;

} // namespace corvane
