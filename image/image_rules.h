#pragma once

#include <array>
#include <cstdint>

namespace corvane {

// What a valid image must be, beyond its header layout: a length in whole
// units, and a device id the controllers accept.

// An image's length is a whole number of 2048-byte units.
inline constexpr std::uint32_t image_size_unit = 2048;
[[nodiscard]] constexpr bool image_size_supported(std::uint64_t image_size) noexcept
{
    return image_size % image_size_unit == 0;
}

// Controllers of the supported families have ids 0x8000 and up.
[[nodiscard]] constexpr bool device_id_in_family(std::uint16_t device_id) noexcept
{
    return device_id >= 0x8000;
}

// The ids an image may be built for.
inline constexpr std::array<std::uint16_t, 5> accepted_device_ids = {0x8640, 0x9470, 0x9310, 0x9340,
                                                                     0x9356};
[[nodiscard]] constexpr bool device_id_accepted(std::uint16_t device_id) noexcept
{
    for (const std::uint16_t id : accepted_device_ids)
        if (id == device_id)
            return true;
    return false;
}
static_assert(device_id_accepted(0x9356) && !device_id_accepted(0x8000));

} // namespace corvane
