#pragma once

#include <zlib.h>

#include <cstdint>
#include <vector>

namespace corvane::testing {

// The checksum word by zlib's CRC-32, independent of the tool's code: the
// complement of the standard CRC-32 of all but the last 12 bytes, byte-reversed.
inline std::uint32_t word_from_zlib_crc(uLong crc)
{
    const auto reg = static_cast<std::uint32_t>(~crc & 0xFFFFFFFFu);
    return (reg >> 24) | ((reg >> 8) & 0xFF00u) | ((reg << 8) & 0xFF0000u) | (reg << 24);
}

inline std::uint32_t oracle_word(const std::vector<unsigned char>& image)
{
    const std::size_t covered = image.size() > 12 ? image.size() - 12 : 0;
    return word_from_zlib_crc(crc32(0L, image.data(), static_cast<uInt>(covered)));
}

} // namespace corvane::testing
