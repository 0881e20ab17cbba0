#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace corvane {

// The read buffer of a checksum pass, owned by the entry point; a pass reads
// the image through it in pieces of at most this size, whatever the image size.
inline constexpr std::size_t crc_piece_size = 512;
using crc_buffer = std::array<std::uint8_t, crc_piece_size>;

enum class crc_pass_status { ok, seek_failed, read_failed };

struct crc_pass_result {
    crc_pass_status status;
    std::uint32_t word; // the checksum word, when status is ok
};

// Reads `image_length` bytes from the start of the stream and returns the
// checksum word over all of them but the last 12. A read that comes back
// short (the file shrank or failed under the tool) fails the pass rather
// than counting the missing bytes as zero. Cost: one table look-up per byte,
// one read call per 512 bytes.
[[nodiscard]] crc_pass_result image_crc_pass(std::FILE* stream, std::uint64_t image_length,
                                             crc_buffer& checkSum_buf) noexcept;

} // namespace corvane
