#pragma once

#include <cstdint>

#include "image/image_header.h"
#include "io/crc_pass.h"

namespace corvane {

// The run's work buffers, owned by the entry point for the whole run so that
// nothing is allocated: the new header, the copy of a header already in the
// file, and the buffer the checksum passes and the padding work through.
struct stamp_buffers {
    image_header header;
    image_header temp_image_header;
    crc_buffer checkSum_buf;
};

enum class stamp_result {
    stamped,         // the image carries the header with its checksum
    failed,          // a step failed; its message has been printed
    length_mismatch, // the padded file does not measure the requested size
};

// Turns the image file into a stamped image of `image_size` bytes with the
// header the caller built in `buffers.header`: measures
// it, reports a header already at its end, pads it with 0xFF, writes the
// header 72 bytes before the end, checksums it twice, writes the header again
// with the checksum and prints the result. The run holds a lock on the file
// throughout; every step opens it afresh, checks that it is the same file in
// the state the run left it, and closes it, checking the close. The first
// failure ends the sequence; the file keeps whatever state it had reached.
[[nodiscard]] stamp_result stamp_image(const char* file_name, std::uint32_t image_size,
                                       stamp_buffers& buffers);

} // namespace corvane
