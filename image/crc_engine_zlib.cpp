#include <zlib.h>

#include "image/crc_engine.h"

namespace corvane {

// zlib's crc32 is the usual CRC-32 over the same reflected polynomial: like ISA-L's, it inverts
// the value it is given on the way in and on the way out, so inverting around the call turns it
// back into a plain register update. crc32_z takes any length.
std::uint32_t crc_accumulate(std::uint32_t reg, std::span<const std::uint8_t> bytes) noexcept
{
    return ~static_cast<std::uint32_t>(crc32_z(~reg & 0xFFFFFFFFu, bytes.data(), bytes.size()));
}

const char* crc_engine_name() noexcept { return "zlib"; }

} // namespace corvane
