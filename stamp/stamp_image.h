#pragma once

#include <cstdint>

#include "image/image_header.h"

namespace corvane {

enum class stamp_result {
    stamped,         // the image carries the header with its checksum, on storage
    failed,          // a step failed; its message has been printed
    length_mismatch, // the padded file does not measure the requested size
};

// Turns the image file into a stamped image of `image_size` bytes with the
// header the caller built (CRC 0): measures it, reports a header already at
// its end, pads it with 0xFF, writes the header 72 bytes before the end,
// checksums it twice, writes the header again with the checksum, flushes it
// to storage and prints the result. The run holds a lock on the file
// throughout; every step opens it afresh, checks that it is the same file in
// the state the run left it, and closes it, checking the close. The first
// failure ends the sequence; the file keeps whatever state it had reached.
// Works in a buffer of static storage: one run at a time.
[[nodiscard]] stamp_result stamp_image(const char* file_name, std::uint32_t image_size,
                                       image_header& header);

} // namespace corvane
