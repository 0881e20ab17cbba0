#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace corvane {

// The work buffer of the file steps, owned by the entry point: the checksum
// passes read the image straight into it, bypassing the stream's own buffer,
// and the padding step fills it with 0xFF and writes from it. One fixed size
// whatever the image size; the checksum does not depend on it.
inline constexpr std::size_t work_buffer_size = 256 * 1024;
using crc_buffer = std::array<std::uint8_t, work_buffer_size>;

enum class crc_pass_status { ok, read_failed };

struct crc_pass_result {
    crc_pass_status status;
    std::uint32_t word; // the checksum word, when status is ok
};

// Reads `image_length` bytes from the start of the stream's file and returns
// the checksum word over all of them but the last 12. A read that comes back
// short (the file shrank or failed under the tool) fails the pass rather
// than counting the missing bytes as zero. Cost: one read call and one engine
// call per buffer of 256 KiB.
[[nodiscard]] crc_pass_result image_crc_pass(std::FILE* stream, std::uint64_t image_length,
                                             crc_buffer& checkSum_buf) noexcept;

} // namespace corvane
