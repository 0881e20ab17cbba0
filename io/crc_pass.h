#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "image/image_layout.h"
#include "image/sha256.h"
#include "io/image_file.h"

namespace corvane {

// The work buffer of a checksum pass, the caller's (the stamping keeps one in
// static storage, and its padding step writes 0xFF from it too; the checker
// allocates one a run): a pass reads the image straight into it. One fixed
// size whatever the image size; the checksum does not depend on it.
inline constexpr std::size_t work_buffer_size = 256 * 1024;
using crc_buffer = std::array<std::uint8_t, work_buffer_size>;

// Bytes of the image as a pass read them, copied out of its buffer: `into.size()` bytes from the
// offset `at` of the image, which must lie within it.
struct pass_copy {
    std::uint64_t at = 0;
    std::span<std::uint8_t> into;
};

// Reads the image `layout` lays out, from the start of the file, and gives the checksum word over
// the bytes it covers, and a copy of the bytes `copy` names out of the very reads the word was
// computed from. A read that comes back short (the file shrank or failed under the tool) fails
// the pass rather than counting the missing bytes as zero. Cost: one read and one engine call per
// buffer of 256 KiB.
[[nodiscard]] io_status image_crc_pass(const image_file& file, const image_layout& layout,
                                       crc_buffer& buffer, std::uint32_t& word, pass_copy copy = {},
                                       sha256* digest = nullptr) noexcept;

// One pass of image_crc_passes: the word it gave, and the bytes it copied out; every byte it read
// fed to `digest` too, where it is given.
struct crc_pass_result {
    std::uint32_t word = 0;
    pass_copy copy;
    sha256* digest = nullptr;
};

// `passes.size()` passes of image_crc_pass over the same file, one after the other, each over
// every byte again. A file larger than the buffer is mapped, where the platform maps files, a
// window of 8 MiB at a time, which each pass reads with no copy; resident memory stays that much
// whatever the file's size. A file that shrinks under a pass fails it (`ended`), through a
// mapping too. Elsewhere, or where the file cannot be mapped, each pass reads into the buffer.
[[nodiscard]] io_status image_crc_passes(const image_file& file, const image_layout& layout,
                                         crc_buffer& buffer,
                                         std::span<crc_pass_result> passes) noexcept;

} // namespace corvane
