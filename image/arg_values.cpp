#include "image/arg_values.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace corvane {

namespace {

constexpr bool is_space(char c) noexcept
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr bool is_digit(std::uint8_t c) noexcept { return c >= '0' && c <= '9'; }

// Character arithmetic of the version fields is done modulo 256, so letters
// and other characters simply take part with their codes.
constexpr std::uint8_t digit_value(std::uint8_t c) noexcept
{
    return static_cast<std::uint8_t>(c - '0');
}

} // namespace

std::int32_t decimal_value(std::string_view text) noexcept
{
    std::size_t i = 0;
    while (i < text.size() && is_space(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::uint32_t value = 0;
    for (; i < text.size() && is_digit(static_cast<std::uint8_t>(text[i])); ++i)
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    if (negative)
        value = 0u - value;
    return static_cast<std::int32_t>(value);
}

bool size_value_ok(std::int32_t size_kb) noexcept { return size_kb >= 1; }

std::uint32_t image_size_from_kb(std::int32_t size_kb) noexcept
{
    return static_cast<std::uint32_t>(size_kb) * 1024u;
}

std::optional<image_version> parse_version_text(std::string_view text) noexcept
{
    // A 16-byte working copy; what the text does not fill stays zero.
    std::array<std::uint8_t, 16> buff{};
    std::copy_n(text.begin(), std::min(text.size(), buff.size()), buff.begin());

    // Positions of the first three dots; a missing dot stays at position 0.
    std::array<std::size_t, 4> dot{};
    for (std::size_t i = 0, found = 0; i < buff.size() && found < 3; ++i)
        if (buff[i] == '.')
            dot[found++] = i;

    // A field's value: ten times each character but the last, plus the last.
    // An empty field (or one that ends before it starts) is worth its first
    // character; a field that starts past the copy is worth a zero byte there.
    const auto field = [&buff](std::size_t start, std::size_t end) -> std::uint8_t {
        if (end <= start)
            return digit_value(start < buff.size() ? buff[start] : 0);
        unsigned value = 0;
        for (std::size_t i = start; i + 1 < end; ++i)
            value += 10u * digit_value(buff[i]);
        value += digit_value(buff[end - 1]);
        return static_cast<std::uint8_t>(value);
    };
    const std::uint8_t major = field(0, dot[0]);
    const std::uint8_t minor = field(dot[0] + 1, dot[1]);
    const std::uint8_t oem = field(dot[1] + 1, dot[2]);

    // Exactly four digits must follow the third dot.
    for (std::size_t i = dot[2] + 1; i < buff.size(); ++i) {
        if (!is_digit(buff[i])) {
            dot[3] = i;
            break;
        }
    }
    if (dot[3] != dot[2] + 5)
        return std::nullopt;

    const std::uint8_t* fourth = &buff[dot[2] + 1];
    const auto pair = [](std::uint8_t tens, std::uint8_t ones) {
        return static_cast<std::uint8_t>(10u * digit_value(tens) + digit_value(ones));
    };
    return image_version{major, minor, oem, pair(fourth[0], fourth[1]), pair(fourth[2], fourth[3])};
}

std::uint16_t device_id_from_digits(std::string_view text) noexcept
{
    // Each decimal digit becomes one hexadecimal digit, from the least
    // significant; the remainder keeps the sign of the value, and each term is
    // kept to 16 bits, so only four digits count.
    std::int32_t rest = decimal_value(text);
    unsigned result = 0;
    for (unsigned shift = 0; rest != 0; shift += 4, rest /= 10) {
        const auto digit = static_cast<std::uint16_t>(rest % 10);
        if (shift < 16)
            result += static_cast<std::uint16_t>(digit << shift);
    }
    return static_cast<std::uint16_t>(result);
}

} // namespace corvane
