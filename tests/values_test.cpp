// The pure parts: the argument values, the checksum engine, and the checksum pass over a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <random>
#include <span>

#include "image/crc_engine.h"
#include "image/image_crc.h"
#include "image/image_header.h"
#include "image/image_rules.h"
#include "io/crc_pass.h"
#include "tests/harness.h"
#include "tools/corvane/arg_values.h"

namespace corvane::testing {
namespace {

TEST(ArgValues, DecimalSizeAndDeviceId)
{
    // text, as decimal, size rule, bytes, 2048-byte rule, as device id
    const struct {
        const char* text;
        std::int32_t value;
        bool size_ok;
        std::uint32_t size;
        bool unit_ok;
        std::uint16_t id;
    } cases[] = {
        {"128", 128, true, 0x20000, true, 0x0128},
        {"  \t+2", 2, true, 2048, true, 0x0002},
        {"3", 3, true, 0xC00, false, 0x0003},
        {"0", 0, false, 0, true, 0},
        {"-4", -4, false, 0xFFFFF000, true, 0xFFFC},
        {"abc", 0, false, 0, true, 0},
        {"", 0, false, 0, true, 0},
        {"4194304", 4194304, true, 0, true, 0x4304},
        {"2147483648", INT32_MIN, false, 0, true, 0xC9B8},
        {"4294975936", 8640, true, 0x870000, true, 0x8640},
        {"65535", 65535, true, 0x3FFFC00, false, 0x5535},
        {"12345", 12345, true, 0xC0E400, false, 0x2345},
        {"-8640", -8640, false, 0xFF790000, true, 0x79C0},
        {"86A0", 86, true, 0x15800, true, 0x0086},
        {"8000", 8000, true, 0x7D0000, true, 0x8000},
        {"7999", 7999, true, 0x7CFC00, false, 0x7999},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decimal_value(c.text), c.value) << c.text;
        EXPECT_EQ(size_value_ok(c.value), c.size_ok) << c.text;
        EXPECT_EQ(image_size_from_kb(c.value), c.size) << c.text;
        EXPECT_EQ(image_size_supported(c.size), c.unit_ok) << c.text;
        EXPECT_EQ(device_id_from_digits(c.text), c.id) << c.text;
    }
    for (const std::uint16_t id :
         std::initializer_list<std::uint16_t>{0x8640, 0x9470, 0x9310, 0x9340, 0x9356})
        EXPECT_TRUE(device_id_accepted(id) && device_id_in_family(id));
    EXPECT_FALSE(device_id_accepted(0x9999) || device_id_accepted(0x8000));
    EXPECT_TRUE(device_id_in_family(0x8000) && device_id_in_family(0xFFFF));
    EXPECT_FALSE(device_id_in_family(0x7FFF) || device_id_in_family(0));
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
    };
    for (const auto& c : cases)
        EXPECT_EQ(parse_version_text(c.text), c.version) << c.text;
}

TEST(ImageCrc, PassOverAFile)
{
    struct result {
        io_status status;
        std::uint32_t word;
    };
    const auto pass = [](const bytes& content, std::uint64_t length) {
        const scratch_dir dir;
        write_file(dir.work / "image", content);
        image_file file;
        EXPECT_TRUE(file.open((dir.work / "image").c_str(), open_mode::read).ok());
        crc_buffer buf{};
        result r{};
        r.status = image_crc_pass(file, length, buf, r.word);
        return r;
    };
    EXPECT_EQ(pass(counting(2048), 2048).word, 0x6D4ECBB5u);
    EXPECT_EQ(pass(bytes(2048, 0xFF), 2048).word, 0xD1FEDB11u);
    // All but the last 12 bytes, whatever the length; past one buffer, the
    // uncovered tail may start in one piece and end in the next.
    for (const std::size_t size : {0u, 5u, 13u, 1000u, 262149u, 600000u})
        EXPECT_EQ(pass(counting(size), size).word, oracle_word(counting(size))) << size;
    // A file shorter than the length asked for: it shrank under the tool.
    EXPECT_EQ(pass(counting(2000), 2048).status.error, io_error::ended);
}

TEST(ImageCrc, EngineAgreesWithTheTableAndZlib)
{
    // Random lengths at every alignment, fed whole and cut into pieces at
    // random points: chaining the register across pieces is where an engine
    // goes wrong.
    std::mt19937 random(20261208);
    bytes data(4096 + 16);
    std::generate(data.begin(), data.end(), [&] { return static_cast<unsigned char>(random()); });
    for (int round = 0; round < 64; ++round) {
        const std::size_t length = random() % 4097;
        for (std::size_t align = 0; align < 16; ++align) {
            const std::span<const std::uint8_t> all(data.data() + align, length);
            const std::uint32_t reference = crc_accumulate_bytewise(crc_initial, all);
            ASSERT_EQ(~reference, crc32(0L, all.data(), static_cast<uInt>(length))) << length;
            ASSERT_EQ(crc_accumulate(crc_initial, all), reference) << length << " at " << align;
            std::size_t cuts[3];
            for (auto& cut : cuts)
                cut = random() % (length + 1);
            std::sort(std::begin(cuts), std::end(cuts));
            std::uint32_t reg = crc_initial;
            std::size_t from = 0;
            for (const std::size_t cut : cuts) {
                reg = crc_accumulate(reg, all.subspan(from, cut - from));
                from = cut;
            }
            ASSERT_EQ(crc_accumulate(reg, all.subspan(from)), reference)
                << length << " at " << align << " cut " << cuts[0] << "," << cuts[1] << ","
                << cuts[2];
        }
    }
}

} // namespace
} // namespace corvane::testing
