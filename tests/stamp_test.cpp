// corvane-stamp's pure parts: its strict words, its command line, and the SHA-256 of its report.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "image/device_ids.h"
#include "image/image_kinds.h"
#include "image/image_layout.h"
#include "image/sha256.h"
#include "image/strict_words.h"
#include "tests/command_words.h"
#include "tools/corvane-stamp/options.h"

namespace corvane {
namespace {

TEST(StrictWords, SizeVersionDeviceId)
{
    using v = image_version;
    const struct {
        const char* text;
        std::optional<std::uint32_t> size;
        std::optional<v> version;
        std::optional<std::uint16_t> id;
    } cases[] = {
        {"2", 2048, {}, {}},
        {"4194302", 0xFFFFF800, {}, {}},
        {"4194304", {}, {}, {}},
        {"0", {}, {}, {}},
        {"3", {}, {}, {}},
        {"128k", {}, {}, {}},
        {"+2", {}, {}, {}},
        {"1.0.0.2101", {}, v{1, 0, 0, 21, 1}, {}},
        {"99.10.07.9999", {}, v{99, 10, 7, 99, 99}, {}},
        {"1.10.100.0001", {}, {}, {}},
        {"1.0.0.210", {}, {}, {}},
        {"1.0.0.21012", {}, {}, {}},
        {"1..0.2101", {}, {}, {}},
        {"1.0.0.2101.", {}, {}, {}},
        {"a.0.0.2101", {}, {}, {}},
        {"8640", 8847360, {}, 0x8640},
        {"0x9356", {}, {}, 0x9356},
        {"0X9470", {}, {}, 0x9470},
        {"18640", 19087360, {}, {}},
        {"8641", {}, {}, {}},
        {"0x", {}, {}, {}},
        {"", {}, {}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(strict_image_size(c.text, 2048), c.size) << c.text;
        EXPECT_EQ(strict_version(c.text), c.version) << c.text;
        EXPECT_EQ(strict_device_id(c.text), c.id) << c.text;
    }
}

// Where the header, the CRC's coverage and the tail stand, and the sizes of a kind's unit.
TEST(ImageLayout, EveryKind)
{
    const struct {
        std::uint64_t size, header_at, tail_at, covered;
        bool holds;
    } layouts[] = {
        {2048, 1976, 2040, 2036, true}, {0xFFFFF800, 0xFFFFF7B8, 0xFFFFF7F8, 0xFFFFF7F4, true},
        {72, 0, 64, 60, true},          {71, 0, 0, 59, false},
        {12, 0, 0, 0, false},           {0, 0, 0, 0, false},
    };
    for (const auto& l : layouts) {
        const image_layout layout = layout_of(l.size);
        EXPECT_EQ(layout.header_at, l.header_at) << l.size;
        EXPECT_EQ(layout.tail_at, l.tail_at) << l.size;
        EXPECT_EQ(layout.covered, l.covered) << l.size;
        EXPECT_EQ(layout.holds_header(), l.holds) << l.size;
    }
    EXPECT_EQ(size_unit_of(nullptr), 2048u);
    for (const image_kind& kind : image_type_table) {
        const std::uint32_t unit = size_unit_of(&kind);
        const std::string kb = std::to_string(unit / 1024);
        const std::uint64_t largest = largest_image_size(unit);
        EXPECT_EQ(smallest_image_size(0, unit), unit) << kind.word;
        EXPECT_EQ(smallest_image_size(unit - 72, unit), unit) << kind.word;
        EXPECT_EQ(smallest_image_size(unit - 71, unit), 2 * unit) << kind.word;
        EXPECT_EQ(smallest_image_size(largest - 72, unit), largest) << kind.word;
        EXPECT_EQ(smallest_image_size(largest - 71, unit), std::nullopt) << kind.word;
        EXPECT_TRUE(largest % unit == 0 && largest + unit > 0xFFFFFFFFu) << kind.word;
        EXPECT_EQ(strict_image_size(kb, unit), unit) << kind.word;
        EXPECT_EQ(strict_image_size(std::to_string(largest / 1024), unit), largest);
        EXPECT_EQ(strict_image_size(std::to_string(largest / 1024 + unit / 1024), unit),
                  std::nullopt);
        strict_values values;
        ASSERT_EQ(read_strict_word('t', kind.word, values), "");
        EXPECT_EQ(read_strict_word('s', kb, values), "") << kind.word;
        EXPECT_EQ(values.size, unit) << kind.word;
        // The size in the kind's unit, whichever option comes first.
        const std::string word(kind.word);
        for (const std::string& size : {kb, std::to_string(default_size_unit / 1024)}) {
            testing::command_words line("corvane-stamp", {"-s", size, "-t", word, "-v",
                                                          "1.0.0.2101", "-i", "8640", "a", "b"});
            const parsed_stamp_options parsed = parse_stamp_options(line.args);
            const bool whole = whole_units(std::stoul(size) * 1024, unit);
            EXPECT_EQ(parsed.action, whole ? stamp_action::stamp : stamp_action::refused)
                << word << size;
        }
    }
}

TEST(StampOptions, WordsAndRefusals)
{
    const auto ok = stamp_action::stamp, no = stamp_action::refused, gather = stamp_action::gather;
    const struct {
        std::vector<std::string> words;
        stamp_action action;
        std::string said; // INPUT and OUTPUT, or the refusal: + for the help line, * for usage
    } cases[] = {
        // clang-format off
        {{"a", "-tbios", "--image-version=1.0.0.2101", "b", "-i", "8640"}, ok, "a b"},
        {{"-t", "bios", "-v", "1.0.0.2101", "-i", "8640", "--", "-a", "-b"}, ok, "-a -b"},
        {{"--help"}, stamp_action::help, ""},
        {{"-V"}, stamp_action::version, ""},
        {{"-t", "bios", "-v", "1.0.0.2101", "a", "b"}, no, "-i/--device-id is missing*"},
        {{"-v", "1.0.0.2101", "-i", "8640", "a", "b"}, no, "-t/--kind is missing*"},
        {{"-t", "bios", "-v", "1.0.0.2101", "-i", "8640", "a"}, no, "INPUT and OUTPUT are needed, and nothing more*"},
        {{"-q", "a"}, no, "invalid option -- 'q'+"},
        {{"--gather", "list", "m.txt"}, gather, "list m.txt"},
        {{"m.txt", "--gather", "--", "-list"}, gather, "m.txt -list"},
        {{"--gather", "list"}, no, "--gather needs RECORDS and MANIFEST, and nothing more*"},
        {{"--gather", "--json", "list", "m.txt"}, no, "--gather takes no other option*"},
        {{"--gather", "--record=r", "list", "m.txt"}, no, "--gather takes no other option*"},
        {{"--gather", "--words", "w", "list", "m.txt"}, no, "--gather takes no other option*"},
        {{"-t", "bios", "-v", "1.0.0.2101", "-i", "8640", "--record", "r", "a", "b\rc"}, no, "OUTPUT 'b\\x0dc' holds a line end, which no line of a record can\n"},
        {{"-t", "bios", "-v", "1.0.0.2101", "-i", "8640", "a", "b\rc"}, ok, "a b\rc"},
        // clang-format on
    };
    for (const auto& c : cases) {
        testing::command_words line("corvane-stamp", c.words);
        const parsed_stamp_options parsed = parse_stamp_options(line.args);
        const copy_request& r = parsed.options.request;
        std::string said = c.action == no ? "corvane-stamp: " + c.said : c.said;
        if (said.ends_with('+') || said.ends_with('*'))
            said.replace(said.size() - 1, 1,
                         said.back() == '+' ? "\nTry 'corvane-stamp --help' for more information.\n"
                                            : "\nUsage: corvane-stamp -t KIND [-s SIZE_KB] -v "
                                              "VERSION -i DEVICE_ID [--json] [--record RECORD] "
                                              "[--words WORDS] [--progress|--no-progress] "
                                              "INPUT OUTPUT\n"
                                              "       corvane-stamp --gather RECORDS MANIFEST\n");
        EXPECT_EQ(parsed.action, c.action) << c.words.front();
        EXPECT_EQ(parsed.action == ok || parsed.action == gather
                      ? std::string(r.input) + " " + r.output
                      : parsed.refusal,
                  said)
            << c.words.front();
    }
}

TEST(StampOptions, Values)
{
    testing::command_words line("corvane-stamp",
                                {"--json", "--no-progress", "-t", "uboot", "-s", "6", "-v",
                                 "2.1.0.0305", "--device-id", "0x9470", "-", "out.bin"});
    const parsed_stamp_options parsed = parse_stamp_options(line.args);
    const copy_request& r = parsed.options.request;
    EXPECT_TRUE(parsed.options.json && r.digest && r.record == nullptr);
    EXPECT_EQ(parsed.options.progress, progress_choice::never);
    EXPECT_EQ(r.kind->type_code, 4);
    EXPECT_EQ(r.image_size, 6144u);
    EXPECT_EQ(r.version, (image_version{2, 1, 0, 3, 5}));
    EXPECT_EQ(r.device_id, 0x9470);
    // A record needs the digest, with or without --json.
    testing::command_words recorded("corvane-stamp", {"--record", "o.rec", "-t", "bios", "-v",
                                                      "1.0.0.2101", "-i", "8640", "a", "b"});
    const parsed_stamp_options with_record = parse_stamp_options(recorded.args);
    EXPECT_TRUE(!with_record.options.json && with_record.options.request.digest);
    EXPECT_STREQ(with_record.options.request.record, "o.rec");
}

// FIPS 180-4's examples, whole and fed in pieces across block ends, by the build's engine and the
// built-in one.
TEST(Sha256, PublishedDigests)
{
    const auto hex = [](const std::array<std::uint8_t, 32>& digest) {
        std::string text;
        for (const std::uint8_t byte : digest)
            text += "0123456789abcdef"[byte >> 4], text += "0123456789abcdef"[byte & 15];
        return text;
    };
    const std::string two_blocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    const struct {
        std::string text;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {two_blocks, "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(c.text.data());
        sha256 whole;
        sha256_builtin pieces;
        whole.feed({bytes, c.text.size()});
        for (std::size_t at = 0, n = 1; at < c.text.size(); at += n, n = n * 7 % 97 + 1)
            pieces.feed({bytes + at, std::min(n, c.text.size() - at)});
        EXPECT_EQ(hex(whole.finish()), c.digest) << c.text.size();
        EXPECT_EQ(hex(pieces.finish()), c.digest) << c.text.size();
    }
}

// The built-in engine against the build's on the same bytes, at every length about the ends of
// the first blocks, where the padding changes shape.
TEST(Sha256, BuiltinAgreesWithTheEngine)
{
    if (std::string(sha256_engine_name()) == "built-in")
        GTEST_SKIP() << "no SHA-256 library in this build to compare the built-in engine with";
    std::vector<std::uint8_t> bytes(200);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
    for (std::size_t length = 0; length <= bytes.size(); ++length) {
        sha256 engine;
        sha256_builtin builtin;
        engine.feed({bytes.data(), length});
        builtin.feed({bytes.data(), length});
        EXPECT_EQ(engine.finish(), builtin.finish()) << length;
    }
}

} // namespace
} // namespace corvane
