// The pure parts, where a table says more than a run of the tool: the readings of the argument
// words, and the checksum against zlib.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <optional>
#include <random>

#include "image/arg_values.h"
#include "image/crc_engine.h"
#include "image/image_crc.h"
#include "image/image_header.h"

namespace corvane {
namespace {

TEST(ArgValues, DecimalSizeAndDeviceId)
{
    const struct {
        const char* text;
        std::int32_t value;
        std::uint32_t bytes; // as a size in KB
        std::uint16_t id;
    } cases[] = {
        {"128", 128, 0x20000, 0x0128},
        {" \t\n\v\f\r+2x", 2, 2048, 0x0002},
        {"-4", -4, 0xFFFFF000, 0xFFFC},
        {"abc", 0, 0, 0},
        {"", 0, 0, 0},
        {"- 4", 0, 0, 0},
        {"4194304", 4194304, 0, 0x4304},
        {"2147483648", INT32_MIN, 0, 0xC9B8},
        {"4294975936", 8640, 0x870000, 0x8640},
        {"65535", 65535, 0x3FFFC00, 0x5535},
        {"12345", 12345, 0xC0E400, 0x2345},
        {"-8640", -8640, 0xFF790000, 0x79C0},
        {"86A0", 86, 0x15800, 0x0086},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decimal_value(c.text), c.value) << c.text;
        EXPECT_EQ(image_size_from_kb(c.value), c.bytes) << c.text;
        EXPECT_EQ(device_id_from_digits(c.text), c.id) << c.text;
    }
    // Only the text itself is read, not what follows it.
    EXPECT_EQ(decimal_value(std::string_view("8640", 2)), 86);
    EXPECT_EQ(decimal_value(std::string_view("  7", 2)), 0);
}

TEST(ArgValues, VersionText)
{
    using v = image_version;
    const struct {
        const char* text;
        std::optional<v> version;
    } cases[] = {
        {"1.0.0.2101", v{1, 0, 0, 21, 1}},
        {"12.34.56.7890", v{12, 34, 56, 78, 90}},
        {"1.0.0.2101.5.6", v{1, 0, 0, 21, 1}},
        {"12101", v{1, 2, 2, 21, 1}}, // no dots
        {"123.07.0.2101", v{33, 7, 0, 21, 1}},
        {"..0.2101", v{254, 254, 0, 21, 1}},
        {"a.b.c.2101", v{49, 50, 51, 21, 1}},
        {"x2101.aaaaaaaaa.", v{239, 129, 208, 21, 1}}, // third field starts past the copy
        {"1.0.0.210", {}},
        {"1.0.0.21012", {}},
        {"1.0", {}},
        {"", {}},
        {"1.0.0.2101234567", {}},
        {"1234567.9.1.2101x", {}}, // the fourth field ends past the copy
    };
    for (const auto& c : cases)
        EXPECT_EQ(parse_version_text(c.text), c.version) << c.text;
}

TEST(ImageHeader, ReplacesData)
{
    // The input bytes a header is written over: data, or what a flash image holds anyway.
    using std::literals::operator""sv;
    const struct {
        std::string_view under;
        bool data;
    } cases[] = {{""sv, false},
                 {"\xff\xff\xff"sv, false},
                 {"\0\0\0"sv, false},
                 {"\x01"sv, true},
                 {"\xff\xff\0"sv, true},
                 {"ZT_FLAS"sv, true},
                 {"ZT_FLASH\x02\x01"sv, false}}; // the last: a header written there before
    for (const auto& c : cases) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(c.under.data());
        EXPECT_EQ(header_replaces_data({bytes, c.under.size()}), c.data) << c.under;
    }
}

TEST(ImageCrc, AgreesWithZlib)
{
    // Random lengths at every alignment, whole and cut at random points: chaining the register
    // across pieces is where an engine goes wrong.
    std::mt19937 random(20261208);
    std::vector<std::uint8_t> data(4096 + 16);
    std::generate(data.begin(), data.end(), [&] { return static_cast<std::uint8_t>(random()); });
    for (int round = 0; round < 32; ++round) {
        const std::size_t length = random() % 4097, align = random() % 16;
        const std::span<const std::uint8_t> all(data.data() + align, length);
        const auto zlib =
            static_cast<std::uint32_t>(~crc32(0L, all.data(), static_cast<uInt>(length)));
        ASSERT_EQ(crc_accumulate_bytewise(crc_initial, all), zlib) << length;
        std::size_t cuts[3] = {random() % (length + 1), random() % (length + 1),
                               random() % (length + 1)};
        std::sort(std::begin(cuts), std::end(cuts));
        std::uint32_t reg = crc_initial;
        std::size_t from = 0;
        for (const std::size_t cut : cuts)
            reg = crc_accumulate(reg, all.subspan(from, cut - from)), from = cut;
        ASSERT_EQ(crc_accumulate(reg, all.subspan(from)), zlib) << length << " at " << align;
    }
}

} // namespace
} // namespace corvane
