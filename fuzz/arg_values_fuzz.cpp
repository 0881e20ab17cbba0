// The decimal reading, the size rule and the device-id reading against a plain
// 64-bit reference, reduced the way the rules say.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "image/arg_values.h"

namespace {

bool space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::int32_t reference_decimal(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && space(text[i]))
        ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    std::uint64_t value = 0; // kept modulo 2^32, as a 32-bit accumulator wraps
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = (value * 10 + static_cast<std::uint64_t>(text[i] - '0')) % (1ull << 32);
    if (negative)
        value = ((1ull << 32) - value) % (1ull << 32);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// The last four decimal digits of the magnitude, each as one hexadecimal
// digit; a negative value gives the 16-bit two's complement.
std::uint16_t reference_device_id(std::int32_t value)
{
    std::int64_t magnitude = std::llabs(static_cast<std::int64_t>(value));
    std::uint64_t id = 0;
    for (int shift = 0; shift < 16; shift += 4, magnitude /= 10)
        id |= static_cast<std::uint64_t>(magnitude % 10) << shift;
    if (value < 0)
        id = (0x10000 - id) & 0xFFFF;
    return static_cast<std::uint16_t>(id);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace corvane;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::int32_t value = decimal_value(text);
    if (value != reference_decimal(text))
        std::abort();
    if (size_value_ok(value) != (value >= 1))
        std::abort();
    const auto bytes = static_cast<std::uint64_t>(static_cast<std::uint32_t>(value)) * 1024;
    if (image_size_from_kb(value) != static_cast<std::uint32_t>(bytes % (1ull << 32)))
        std::abort();
    if (device_id_from_digits(text) != reference_device_id(value))
        std::abort();
    return 0;
}
