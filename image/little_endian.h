#pragma once

#include <cstdint>

namespace corvane {

// Multi-byte fields of the image format are little-endian whatever the host's
// byte order; they are stored and read one byte at a time, at any alignment.

inline void store_le16(std::uint8_t* at, std::uint16_t value) noexcept
{
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void store_le32(std::uint8_t* at, std::uint32_t value) noexcept
{
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
    at[2] = static_cast<std::uint8_t>(value >> 16);
    at[3] = static_cast<std::uint8_t>(value >> 24);
}

[[nodiscard]] inline std::uint16_t load_le16(const std::uint8_t* at) noexcept
{
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}

[[nodiscard]] inline std::uint32_t load_le32(const std::uint8_t* at) noexcept
{
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

} // namespace corvane
