// The version reading on arbitrary bytes: it accepts exactly the texts whose
// third dot (or position 0, where a dot is missing) is followed by four digits
// and then a non-digit within the first 16 bytes, and reads those four digits
// as beta and alpha.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "image/arg_values.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto version = corvane::parse_version_text(text);

    std::array<std::uint8_t, 16> copy{};
    std::memcpy(copy.data(), data, size < copy.size() ? size : copy.size());
    std::size_t third = 0;
    for (std::size_t i = 0, dots = 0; i < copy.size(); ++i)
        if (copy[i] == '.' && ++dots == 3) {
            third = i;
            break;
        }
    const auto digit = [&](std::size_t i) { return copy[i] >= '0' && copy[i] <= '9'; };
    const bool accepted = third + 5 < copy.size() && digit(third + 1) && digit(third + 2) &&
                          digit(third + 3) && digit(third + 4) && !digit(third + 5);
    if (version.has_value() != accepted)
        std::abort();
    if (accepted) {
        const auto pair = [&](std::size_t i) { return (copy[i] - '0') * 10 + (copy[i + 1] - '0'); };
        if ((*version)[3] != pair(third + 1) || (*version)[4] != pair(third + 3))
            std::abort();
    }
    return 0;
}
