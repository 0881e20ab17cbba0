#include "image/image_crc.h"

namespace corvane {

std::uint32_t crc_accumulate_bytewise(std::uint32_t reg,
                                      std::span<const std::uint8_t> bytes) noexcept
{
    for (const std::uint8_t byte : bytes)
        reg = (reg >> 8) ^ crc_table[(reg ^ byte) & 0xFFu];
    return reg;
}

} // namespace corvane
