#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "image/image_header.h"

namespace corvane {

// The image checksum is the reflected CRC-32 of IEEE 802.3 (polynomial
// 0xEDB88320), with the register started at all ones and not inverted at the
// end. The checksum word is that final register with its bytes reversed, so
// the header's little-endian CRC field holds the register most significant
// byte first.

inline constexpr std::uint32_t crc_polynomial = 0xEDB88320u;
inline constexpr std::uint32_t crc_initial = 0xFFFFFFFFu;

// Which bytes of an image it covers: image/image_layout.h.

[[nodiscard]] constexpr std::array<std::uint32_t, 256> make_crc_table() noexcept
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < table.size(); ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1u) != 0 ? crc_polynomial ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

inline constexpr std::array<std::uint32_t, 256> crc_table = make_crc_table();
static_assert(crc_table[1] == 0x77073096u);
static_assert(crc_table[255] == 0x2D02EF8Du);

// Feeds the bytes into the register, one at a time from the first, through
// the table. This defines the checksum; the engine of the build (crc_engine.h)
// must give the same register. Cost: one table look-up per byte.
[[nodiscard]] std::uint32_t crc_accumulate_bytewise(std::uint32_t reg,
                                                    std::span<const std::uint8_t> bytes) noexcept;

// The word stored in the header for a final register: its four bytes reversed.
[[nodiscard]] constexpr std::uint32_t checksum_word(std::uint32_t reg) noexcept
{
    return (reg >> 24) | ((reg >> 8) & 0x0000FF00u) | ((reg << 8) & 0x00FF0000u) | (reg << 24);
}
static_assert(checksum_word(0xCADBBE3Du) == 0x3DBEDBCAu);

} // namespace corvane
