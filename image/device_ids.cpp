#include "image/device_ids.h"

#include <cstdio>

namespace corvane {

std::string device_id_words()
{
    std::string words;
    for (const std::uint16_t id : accepted_device_ids) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%x", unsigned{id});
        words.append(words.empty() ? "" : ", ").append(digits);
    }
    return words;
}

} // namespace corvane
