// The pure parts, where a table says more than a run of the tool: the readings of the argument
// words, corvane-verify's command line, the judgement of an image and the version's texts. (The
// checksum engines are checked against the table by a fuzz target, and every image of the case
// tables against zlib.)
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "image/arg_values.h"
#include "image/device_ids.h"
#include "image/image_header.h"
#include "image/image_kinds.h"
#include "image/version_text.h"
#include "report/verify_text.h"
#include "tests/command_words.h"
#include "tools/corvane-stamp/options.h"
#include "tools/corvane-verify/manifest.h"
#include "tools/corvane-verify/options.h"
#include "verify/verify_image.h"

namespace corvane {
namespace {

using lines = std::vector<std::string>;

TEST(ArgValues, DecimalSizeAndDeviceId)
{
    const struct {
        const char* text;
        std::int32_t value;
        std::uint32_t bytes; // as a size in KB
        std::uint16_t id;
    } cases[] = {
        // clang-format off
        {"128", 128, 0x20000, 0x0128}, {" \t\n\v\f\r+2x", 2, 2048, 0x0002},
        {"-4", -4, 0xFFFFF000, 0xFFFC}, {"abc", 0, 0, 0},
        {"", 0, 0, 0}, {"- 4", 0, 0, 0},
        {"4194304", 4194304, 0, 0x4304}, {"2147483648", INT32_MIN, 0, 0xC9B8},
        {"4294975936", 8640, 0x870000, 0x8640}, {"65535", 65535, 0x3FFFC00, 0x5535},
        {"12345", 12345, 0xC0E400, 0x2345}, {"-8640", -8640, 0xFF790000, 0x79C0},
        {"86A0", 86, 0x15800, 0x0086},
        // clang-format on
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
        // clang-format off
        {"1.0.0.2101", v{1, 0, 0, 21, 1}}, {"12.34.56.7890", v{12, 34, 56, 78, 90}},
        {"1.0.0.2101.5.6", v{1, 0, 0, 21, 1}},
        {"12101", v{1, 2, 2, 21, 1}}, // no dots
        {"123.07.0.2101", v{33, 7, 0, 21, 1}}, {"..0.2101", v{254, 254, 0, 21, 1}},
        {"a.b.c.2101", v{49, 50, 51, 21, 1}},
        {"x2101.aaaaaaaaa.", v{239, 129, 208, 21, 1}}, // third field starts past the copy
        {"1.0.0.210", {}}, {"1.0.0.21012", {}},
        {"1.0", {}}, {"", {}},
        {"1.0.0.2101234567", {}},
        {"1234567.9.1.2101x", {}}, // the fourth field ends past the copy
        // clang-format on
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
    } cases[] = {{""sv, false},    {"\xff\xff\xff"sv, false}, {"\0\0\0"sv, false},
                 {"\x01"sv, true}, {"\xff\xff\0"sv, true},    {"ZT_FLASH\x02\x01"sv, true}};
    for (const auto& c : cases) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(c.under.data());
        EXPECT_EQ(header_replaces_data({bytes, c.under.size()}), c.data) << c.under;
    }
}

// The command line both tools read alike: the image's words by one strict reader, each refusal as
// it names the word and the rule (with what corvane stamps for a word it reads otherwise), --help
// and --version alone, an option given twice, a word that is no option.
TEST(CommandLine, BothTools)
{
    const std::string ids = device_id_words() + " (hexadecimal digits, 0x allowed)";
    const struct {
        std::vector<std::string> words;
        std::string refusal; // after "TOOL: "; + for the line that points to --help
    } cases[] = {
        // clang-format off
        {{"-t", "\x1b]0;x\x07", "b"}, "--kind '\\x1b]0;x\\x07': not a kind (" + kind_words() + ")\n"},
        {{"-s", "0", "b"}, "--size '0': not a whole number of 2 KB from 2 to 4194302\n"},
        {{"-s", "3", "b"}, "--size '3': not a whole number of 2 KB from 2 to 4194302\n"},
        {{"-s", "2k", "b"}, "--size '2k': not a whole number of 2 KB from 2 to 4194302; corvane stamps 2048 bytes for it\n"},
        {{"-s", "4194432", "b"}, "--size '4194432': not a whole number of 2 KB from 2 to 4194302; corvane stamps 131072 bytes for it\n"},
        {{"-v", "1.0.0.210", "b"}, "--image-version '1.0.0.210': not a.b.c.dddd (one or two digits three times, then four)\n"},
        {{"-v", "1.0.0.2101.7", "b"}, "--image-version '1.0.0.2101.7': not a.b.c.dddd (one or two digits three times, then four); corvane stamps 1.0.0.21.1 for it\n"},
        {{"-i", "7999", "b"}, "--device-id '7999': not one of " + ids + "\n"},
        {{"-i", "18640", "b"}, "--device-id '18640': not one of " + ids + "; corvane stamps 0x8640 for it\n"},
        {{"x", "-h"}, "--help takes no other word+"},
        {{"-V", "1.0.0.2101", "b"}, "--version takes no other word (the image's version is -v or --image-version)+"},
        {{"-z\x1b", "b"}, "invalid option -- 'z'+"},
        {{"--jsn", "a"}, "unrecognized option '--jsn'+"},
        {{"a", "-s"}, "option '-s' needs a value+"},
        {{"-t", "firmware", "--kind=bios", "a"}, "-t/--kind is given twice+"},
        {{"-v", "1.0.0.2101", "--image-version=1.0.0.2101", "a"}, "-v/--image-version is given twice+"},
        // clang-format on
    };
    for (const auto& c : cases) {
        for (const std::string tool : {"corvane-stamp", "corvane-verify"}) {
            testing::command_words line(tool.c_str(), c.words);
            std::string said = tool + ": " + c.refusal;
            if (said.ends_with('+'))
                said.replace(said.size() - 1, 1,
                             "\nTry '" + tool + " --help' for more information.\n");
            const std::string refusal = tool == "corvane-stamp"
                                            ? parse_stamp_options(line.args).refusal
                                            : parse_options(line.args).refusal;
            EXPECT_EQ(refusal, said) << tool << " " << c.words.front();
        }
    }
}

TEST(VerifyOptions, WordsAndRefusals)
{
    const std::string usage = "Usage: corvane-verify [--json] [--quiet] [-t KIND] [-s SIZE_KB] "
                              "[-v VERSION] [-i DEVICE_ID] FILE...\n       corvane-verify "
                              "[--json] [--quiet] [--full] -c MANIFEST [FILE...]\n";
    const auto help = options_action::help, version = options_action::version,
               v = options_action::check, no = options_action::refused;
    const struct {
        std::vector<std::string> words;
        options_action action;
        std::string said; // the refusal, or the files
    } cases[] = {
        // clang-format off
        {{"-jq", "a", "--", "-t"}, v, "a\n-t\n"},
        {{"--kind=uboot", "--image-version", "1.0.0.2101", "b"}, v, "b\n"},
        {{"--help"}, help, ""},
        {{"-V"}, version, ""},
        {{"--json"}, no, "corvane-verify: no file given\n" + usage},
        {{"--full", "-c", "m"}, v, ""},
        // clang-format on
    };
    for (const auto& c : cases) {
        testing::command_words line("corvane-verify", c.words);
        const parsed_options parsed = parse_options(line.args);
        std::string found = parsed.refusal;
        for (const char* file : parsed.options.files)
            found += std::string(file) + "\n";
        EXPECT_EQ(parsed.action, c.action) << c.words.front();
        EXPECT_EQ(found, c.said) << c.words.front();
    }
}

TEST(VerifyOptions, ExpectedValues)
{
    testing::command_words line("corvane-verify",
                                {"-j", "--kind", "firmware", "-s4", "-v", "2.1.0.0305",
                                 "--device-id=0x9470", "--full", "x"});
    const parsed_options parsed = parse_options(line.args);
    const expected_image& e = parsed.options.expected;
    EXPECT_TRUE(parsed.options.json && !parsed.options.quiet && parsed.options.full);
    EXPECT_EQ(e.type_code, 3);
    EXPECT_EQ(e.size, 4096u);
    EXPECT_EQ(e.version, (image_version{2, 1, 0, 3, 5}));
    EXPECT_EQ(e.device_id, 0x9470);
    testing::command_words none("corvane-verify", {"x"});
    const expected_image nothing = parse_options(none.args).options.expected;
    EXPECT_FALSE(nothing.type_code || nothing.size || nothing.version || nothing.device_id);
}

// A manifest is read as strictly as corvane-stamp reads its words: a line is an image, left out, or
// the refusal that names it.
TEST(Manifest, Lines)
{
    const std::string good = "bios 128 1.0.0.2101 8640 ", nul(1, '\0'), a64(64, 'a'), A64(64, 'A');
    const std::string size = "': not a whole number of 2 KB from 2 to 4194302",
                      line = "not KIND SIZE_KB VERSION DEVICE_ID PATH";
    const struct {
        std::string text;
        std::string
            path_or_refusal; // its one image's path, or the refusal after "corvane-verify: m"
    } cases[] = {
        // clang-format off
        {good + "a b.bin", "d/a b.bin"},
        {"firmware\t-\t2.1.0.0305\t0x9470\tf.bin\r\n", "d/f.bin"},
        {"  # left out\n\t\n" + good + "/abs.bin\n", "/abs.bin"},
        {good + "c:\\x.bin", "d/c:\\x.bin"}, {good + "x:b.bin", "d/x:b.bin"},
        {good + "x\x01y.bin", "d/x\x01y.bin"},
        {good + "m.bin" + nul + "junk", ":1: a NUL byte in the line"},
        {"bios" + nul + "firmware 128 1.0.0.2101 8640 m.bin", ":1: a NUL byte in the line"},
        {"bios 128 1.0.0.2101 86\x01" "40 m.bin", ":1: a control byte outside the path"},
        {"\n" + good + "g.bin\nbios 128k 1.0.0.2101 8640 m.bin", ":3: --size '128k" + size + "; corvane stamps 131072 bytes for it"},
        {"bios 4194432 1.0.0.2101 8640 m.bin", ":1: --size '4194432" + size + "; corvane stamps 131072 bytes for it"},
        {"bios 128 1.0.0.2101 18640 m.bin", ":1: --device-id '18640': not one of " + device_id_words() + " (hexadecimal digits, 0x allowed); corvane stamps 0x8640 for it"},
        {"bios 128 1.0.0.21 8640 m.bin", ":1: --image-version '1.0.0.21': not a.b.c.dddd (one or two digits three times, then four)"},
        {"Bios 128 1.0.0.2101 8640 m.bin", ":1: --kind 'Bios': not a kind (" + kind_words() + ")"},
        {good, ":1: " + line},
        {"bios 128 1.0.0.2101", ":1: " + line},
        {"# nothing but this\n", ": lists no image"},
        {good + "sha256:" + a64 + "  d.bin", "d/d.bin"},
        {good + "./sha256:x", "d/./sha256:x"},
        {good + "sha256:" + A64 + " d.bin", ":1: 'sha256:" + A64 + "': not sha256: and 64 lower-case hexadecimal digits"},
        {good + "sha256:" + a64, ":1: " + line},
        // clang-format on
    };
    for (const auto& c : cases) {
        std::string refusal;
        const std::vector<listed_image> images = read_manifest_text(c.text, "m", "d/", refusal);
        const std::string found = images.size() == 1
                                      ? images[0].path
                                      : refusal.substr(std::min<std::size_t>(17, refusal.size()));
        EXPECT_EQ(found, c.path_or_refusal + (refusal.empty() ? "" : "\n")) << c.text;
    }
    std::string refusal;
    const auto images = read_manifest_text("hbainfo - 1.0.0.2101 0x9356 i.bin\n", "m", "", refusal);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].expected.type_code, 0);
    EXPECT_EQ(images[0].expected.size, std::nullopt);
    EXPECT_EQ(images[0].expected.version, (image_version{1, 0, 0, 21, 1}));
    EXPECT_EQ(images[0].expected.device_id, 0x9356);
    EXPECT_EQ(images[0].expected.sha256, std::nullopt);
    const auto pinned = read_manifest_text(
        "bios - 1.0.0.2101 8640 sha256:" + std::string(62, '0') + "1f b.bin", "m", "", refusal);
    ASSERT_EQ(pinned.size(), 1u);
    digest_bytes digest{};
    digest[31] = 0x1f;
    EXPECT_EQ(pinned[0].expected.sha256, digest);
}

// Each failed check is one reason, in the order of the checks, with what was found and expected.
TEST(VerifyImage, Reasons)
{
    const auto header = [](std::uint8_t type, std::uint32_t size, std::uint16_t id) {
        image_header h{};
        build_image_header(h, type, {1, 0, 0, 21, 1}, size, id);
        set_header_crc(h, 0x5C9AF745);
        return h;
    };
    const std::uint8_t no_kind = testing::free_type_code();
    const std::string type = "type 0x" + testing::hex(no_kind);
    const image_header good = header(2, 2048, 0x8640), odd = header(no_kind, 4096, 0x8641);
    image_header named{};
    std::copy_n("ZT_FLASx", 8, named.bytes.begin());
    const expected_image all_other = {3, 4096, image_version{1, 0, 0, 21, 2}, 0x9470};
    const expected_image all_same = {2, 2048, image_version{1, 0, 0, 21, 1}, 0x8640};
    const struct {
        std::uint64_t length;
        const image_header* header;
        std::uint32_t crc;
        expected_image expected;
        lines reasons;
    } cases[] = {
        // clang-format off
        {71, nullptr, 0, {}, {"length 71 bytes, at least 72 expected",
                              "length 71 bytes, a multiple of 2048 expected"}},
        {72, &named, 0, {}, {"length 72 bytes, a multiple of 2048 expected",
                             "signature bytes 5a 54 5f 46 4c 41 53 78 found, \"ZT_FLASH\" expected"}},
        {2048, &good, 0x5C9AF745, all_same, {}},
        {2048, &odd, 0x0BD8AA3E, {2, {}, {}, {}},
         {type + " found, one of " + testing::listed_type_codes() + " expected",
          "size 0x1000 stored, file length 0x800",
          "device id 0x8641 stored, one of 0x8640, 0x9470, 0x9310, 0x9340, 0x9356 expected",
          "CRC 0x5c9af745 stored, 0x0bd8aa3e computed", type + " (no kind) stored, 0x2 (bios) expected"}},
        {2048, &good, 0x5C9AF745, all_other,
         {"type 0x2 (bios) stored, 0x3 (firmware) expected", "size 0x800 stored, 0x1000 expected",
          "version 1.0.0.2101 stored, 1.0.0.2102 expected", "device id 0x8640 stored, 0x9470 expected"}},
        // clang-format on
    };
    for (const auto& t : cases) {
        lines reasons;
        const image_verdict verdict = verify_image(t.length, t.header, t.crc, t.expected);
        for (const failed_check& failed : verdict.failures())
            reasons.push_back(reason_text(failed));
        EXPECT_EQ(reasons, t.reasons) << t.length;
    }
    // A digest is judged after the rest, whatever the file holds.
    digest_bytes found{}, wanted{};
    found[0] = 0xab, wanted[31] = 0x01;
    expected_image pinned = all_same;
    pinned.sha256 = wanted;
    const image_verdict verdict = verify_image(71, nullptr, 0, pinned, &found);
    ASSERT_EQ(verdict.failures().size(), 3u);
    EXPECT_EQ(reason_text(verdict.failures()[2]), "SHA-256 ab" + std::string(62, '0') + " found, " +
                                                      std::string(62, '0') + "01 expected");
    EXPECT_TRUE(verify_image(2048, &good, 0x5C9AF745, pinned, &wanted).valid());
}

TEST(VersionText, StrictWordAndNumbers)
{
    const struct {
        image_version version;
        std::optional<std::string> word;
        const char* numbers;
    } cases[] = {
        // clang-format off
        {{1, 2, 3, 4, 5}, "1.2.3.0405", "1.2.3.4.5"}, {{99, 99, 99, 99, 99}, "99.99.99.9999", "99.99.99.99.99"},
        {{100, 0, 0, 0, 0}, {}, "100.0.0.0.0"}, {{0, 100, 0, 0, 0}, {}, "0.100.0.0.0"},
        {{0, 0, 100, 0, 0}, {}, "0.0.100.0.0"}, {{0, 0, 0, 100, 0}, {}, "0.0.0.100.0"},
        {{0, 0, 0, 0, 255}, {}, "0.0.0.0.255"},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_EQ(version_word(c.version), c.word) << c.numbers;
        EXPECT_EQ(version_numbers(c.version), c.numbers);
    }
}

} // namespace
} // namespace corvane
