#include "image/crc_engine.h"
#include "image/image_crc.h"

namespace corvane {

std::uint32_t crc_accumulate(std::uint32_t reg, std::span<const std::uint8_t> bytes) noexcept
{
    return crc_accumulate_bytewise(reg, bytes);
}

const char* crc_engine_name() noexcept { return "table"; }

} // namespace corvane
