// The pure parts, where a table says more than a run of the tool: the readings of the argument
// words, corvane-verify's command line, the judgement of an image, the version's texts, and the
// checksum against zlib.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "image/arg_values.h"
#include "image/crc_engine.h"
#include "image/image_crc.h"
#include "image/image_header.h"
#include "image/version_text.h"
#include "tools/corvane-verify/options.h"
#include "verify/verify_image.h"

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

TEST(VerifyOptions, WordsAndRefusals)
{
    const std::string try_help = "Try 'corvane-verify --help' for more information.\n";
    const std::string usage = "Usage: corvane-verify [--json] [--quiet] [-t KIND] [-s SIZE_KB] "
                              "[-v VERSION] [-i DEVICE_ID] FILE...\n";
    const auto v = options_action::check;
    const struct {
        std::vector<std::string> words;
        options_action action;
        std::string said; // the refusal, or the files taken, one a line
    } cases[] = {
        {{"-jq", "a", "--", "-t"}, v, "a\n-t\n"},
        {{"--kind=uboot", "--image-version", "1.0.0.2101", "b"}, v, "b\n"},
        {{"--help"}, options_action::help, ""},
        {{"-V"}, options_action::version, ""},
        {{"x", "-h"},
         options_action::refused,
         "corvane-verify: --help takes no other word\n" + try_help},
        {{"-q", "--version", "1.0.0.2101", "b"},
         options_action::refused,
         "corvane-verify: --version takes no other word (the image's version is -v or "
         "--image-version)\n" +
             try_help},
        {{"b", "--size"},
         options_action::refused,
         "corvane-verify: option '--size' needs a value\n" + try_help},
        {{"--bogus", "b"},
         options_action::refused,
         "corvane-verify: unrecognized option '--bogus'\n" + try_help},
        {{"-z\x1b", "b"},
         options_action::refused,
         "corvane-verify: invalid option -- 'z'\n" + try_help},
        {{"--json"}, options_action::refused, "corvane-verify: no file given\n" + usage},
        {{"-t", "\x1b]0;x\x07", "b"},
         options_action::refused,
         "corvane-verify: --kind '\\x1b]0;x\\x07': not a kind (hbainfo, bios, firmware, uboot, "
         "hba, "
         "desc)\n"},
        {{"-s", "0", "b"},
         options_action::refused,
         "corvane-verify: --size '0': not a size of 1 KB or more\n"},
        {{"-s", "3", "b"},
         options_action::refused,
         "corvane-verify: --size '3': not a whole number of 2 KB\n"},
        {{"-v", "1.0.0.210", "b"},
         options_action::refused,
         "corvane-verify: --image-version '1.0.0.210': not a.b.c.dddd, with four digits after the "
         "third dot\n"},
        {{"-i", "7999", "b"},
         options_action::refused,
         "corvane-verify: --device-id '7999': not one of 8640, 9470, 9310, 9340, 9356\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> words = {"corvane-verify"};
        words.insert(words.end(), c.words.begin(), c.words.end());
        std::vector<char*> args;
        for (std::string& word : words)
            args.push_back(word.data());
        const parsed_options parsed = parse_options(args);
        std::string said = parsed.refusal;
        for (const char* file : parsed.options.files)
            said += std::string(file) + "\n";
        EXPECT_EQ(parsed.action, c.action) << c.words.front();
        EXPECT_EQ(said, c.said) << c.words.front();
    }
}

TEST(VerifyOptions, ExpectedValues)
{
    std::string words[] = {
        "corvane-verify",    "-j", "--kind", "firmware", "-s4", "-v", "2.1.0.0305",
        "--device-id=19470", "x"};
    std::vector<char*> args;
    for (std::string& word : words)
        args.push_back(word.data());
    const parsed_options parsed = parse_options(args);
    const expected_image& e = parsed.options.expected;
    EXPECT_TRUE(parsed.options.json && !parsed.options.quiet);
    EXPECT_EQ(e.type_code, 3);
    EXPECT_EQ(e.size, 4096u);
    EXPECT_EQ(e.version, (image_version{2, 1, 0, 3, 5}));
    EXPECT_EQ(e.device_id, 0x9470);
}

TEST(VerifyImage, FailedChecks)
{
    using f = failed_check;
    using c = image_check;
    const auto n = [](std::uint64_t value) { return check_value{value}; };
    const auto header = [](std::uint8_t type, std::uint32_t size, std::uint16_t id) {
        image_header h{};
        build_image_header(h, type, {1, 0, 0, 21, 1}, size, id);
        set_header_crc(h, 0x5C9AF745);
        return h;
    };
    const image_header good = header(2, 2048, 0x8640), odd = header(1, 4096, 0x8641), none{};
    const signature_bytes zeros{}, signature = {'Z', 'T', '_', 'F', 'L', 'A', 'S', 'H'};
    const expected_image all_other = {3, 4096, image_version{1, 0, 0, 21, 2}, 0x9470};
    const struct {
        std::uint64_t length;
        const image_header* header;
        std::uint32_t crc;
        expected_image expected;
        std::vector<f> failed;
    } cases[] = {
        {71, nullptr, 0, {}, {f{c::min_length, n(71), n(72)}, f{c::length_unit, n(71), n(2048)}}},
        {72, &none, 0, {}, {f{c::length_unit, n(72), n(2048)}, f{c::signature, zeros, signature}}},
        {2048, &good, 0x5C9AF745, {}, {}},
        {2048, &good, 0x5C9AF745, {2, 2048, image_version{1, 0, 0, 21, 1}, 0x8640}, {}},
        {2048,
         &odd,
         0x12345678,
         {},
         {f{c::type_code, n(1), {}}, f{c::size_field, n(4096), n(2048)},
          f{c::device_id, n(0x8641), {}}, f{c::checksum, n(0x5C9AF745), n(0x12345678)}}},
        {2048,
         &good,
         0x5C9AF745,
         all_other,
         {f{c::expected_kind, n(2), n(3)}, f{c::expected_size, n(2048), n(4096)},
          f{c::expected_version, image_version{1, 0, 0, 21, 1}, image_version{1, 0, 0, 21, 2}},
          f{c::expected_device_id, n(0x8640), n(0x9470)}}},
    };
    for (const auto& t : cases)
        EXPECT_EQ(verify_image(t.length, t.header, t.crc, t.expected).failed, t.failed) << t.length;
}

TEST(VersionText, StrictWordAndNumbers)
{
    const struct {
        image_version version;
        std::optional<std::string> word;
        const char* numbers;
    } cases[] = {
        {{1, 2, 3, 4, 5}, "1.2.3.0405", "1.2.3.4.5"},
        {{99, 99, 99, 99, 99}, "99.99.99.9999", "99.99.99.99.99"},
        {{100, 0, 0, 0, 0}, {}, "100.0.0.0.0"},
        {{0, 100, 0, 0, 0}, {}, "0.100.0.0.0"},
        {{0, 0, 100, 0, 0}, {}, "0.0.100.0.0"},
        {{0, 0, 0, 100, 0}, {}, "0.0.0.100.0"},
        {{0, 0, 0, 0, 255}, {}, "0.0.0.0.255"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(version_word(c.version), c.word) << c.numbers;
        EXPECT_EQ(version_numbers(c.version), c.numbers);
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
