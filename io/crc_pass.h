#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "io/image_file.h"

namespace corvane {

// The work buffer of a checksum pass, the caller's (the stamping keeps one in
// static storage, and its padding step writes 0xFF from it too; the checker
// allocates one a run): a pass reads the image straight into it. One fixed
// size whatever the image size; the checksum does not depend on it.
inline constexpr std::size_t work_buffer_size = 256 * 1024;
using crc_buffer = std::array<std::uint8_t, work_buffer_size>;

// Reads `image_length` bytes from the start of the file and gives the
// checksum word over all of them but the last 12. A read that comes back
// short (the file shrank or failed under the tool) fails the pass rather than
// counting the missing bytes as zero. Cost: one read and one engine call per
// buffer of 256 KiB.
[[nodiscard]] io_status image_crc_pass(const image_file& file, std::uint64_t image_length,
                                       crc_buffer& checkSum_buf, std::uint32_t& word) noexcept;

} // namespace corvane
