#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "image/rule_values.h"

namespace corvane {

// The device ids a valid image may carry. (Its sizes: image/image_layout.h.)

// Controllers of the supported families have ids 0x8000 and up.
[[nodiscard]] constexpr bool device_id_in_family(std::uint16_t device_id) noexcept
{
    return device_id >= 0x8000;
}

// The ids an image may be built for, as image/image_rules.txt lists them.
inline constexpr std::array accepted_device_ids = std::to_array(rule_values::device_ids);
[[nodiscard]] constexpr bool device_id_accepted(std::uint16_t device_id) noexcept
{
    for (const std::uint16_t id : accepted_device_ids)
        if (id == device_id)
            return true;
    return false;
}
static_assert(device_id_accepted(accepted_device_ids.back()) && !device_id_accepted(0x8000));
static_assert(std::all_of(accepted_device_ids.begin(), accepted_device_ids.end(),
                          device_id_in_family));

// The accepted ids as -i takes them, their hexadecimal digits, in the rules' order, apart by ", ".
[[nodiscard]] std::string device_id_words();

} // namespace corvane
