#pragma once

#include <cstdio>

#include "image/image_header.h"

namespace corvane {

// The four report lines of a header (signature, type, version, CRC), in the
// form both tools print them.
void print_image_header(std::FILE* out, const image_header& header) noexcept;

} // namespace corvane
