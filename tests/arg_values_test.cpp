#include <gtest/gtest.h>

#include <optional>
#include <string_view>

#include "cli/arg_values.h"

namespace corvane {
namespace {

TEST(DecimalValue, ReadsLikeAtoiWithThirtyTwoBitWrap)
{
    const struct {
        std::string_view text;
        std::int32_t value;
    } cases[] = {
        {"128", 128},       {"  \t+42", 42},        {"-4", -4},
        {"12abc", 12},      {"abc", 0},             {"", 0},
        {"- 5", 0},         {"4294975936", 8640},   {"2147483648", INT32_MIN},
        {"-2147483648", INT32_MIN}, {"4294967295", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decimal_value(c.text), c.value) << c.text;
}

TEST(ImageSize, SizeRuleByteSizeAndUnit)
{
    const struct {
        std::string_view text;
        bool passes_size_rule;
        std::uint32_t bytes;
        bool supported;
    } cases[] = {
        {"2", true, 2048, true},         {"128", true, 0x20000, true},
        {"1", true, 0x400, false},       {"3", true, 0xC00, false},
        {"0", false, 0, true},           {"-4", false, 0xFFFFF000u, true},
        {"abc", false, 0, true},         {"4194304", true, 0, true},
        {"4194302", true, 0xFFFFF800u, true},
    };
    for (const auto& c : cases) {
        const std::int32_t kb = decimal_value(c.text);
        EXPECT_EQ(size_value_ok(kb), c.passes_size_rule) << c.text;
        EXPECT_EQ(image_size_from_kb(kb), c.bytes) << c.text;
        EXPECT_EQ(image_size_supported(image_size_from_kb(kb)), c.supported) << c.text;
    }
}

TEST(ParseVersionText, FieldsAndQuirks)
{
    const struct {
        std::string_view text;
        std::optional<image_version> version;
    } cases[] = {
        {"1.0.0.2101", image_version{1, 0, 0, 21, 1}},
        {"12.34.56.7890", image_version{12, 34, 56, 78, 90}},
        {"07.7.21.0000", image_version{7, 7, 21, 0, 0}},
        {"1.0.0.2101.5", image_version{1, 0, 0, 21, 1}},
        {"1.0.0.2101.5.6", image_version{1, 0, 0, 21, 1}},
        {"1.0.0.2101abc", image_version{1, 0, 0, 21, 1}},
        // No dots: every field reads from the first characters.
        {"12101", image_version{1, 2, 2, 21, 1}},
        // Longer fields: ten times the sum of all digits but the last, plus the last.
        {"123.0.0.2101", image_version{33, 0, 0, 21, 1}},
        {"999.0.0.2101", image_version{189, 0, 0, 21, 1}},
        // An empty field is worth its first character: a dot gives 254.
        {"..0.2101", image_version{254, 254, 0, 21, 1}},
        // Letters take part with their codes, modulo 256.
        {"a.b.c.2101", image_version{49, 50, 51, 21, 1}},
        // A field starting one past the 16-byte copy is worth a zero byte: 208.
        {"x2101.aaaaaaaaa.", image_version{239, 129, 208, 21, 1}},
        {"1.0.0.210", std::nullopt},
        {"1.0.0.21012", std::nullopt},
        {"1.0", std::nullopt},
        {"", std::nullopt},
        {"1.0.0.2101234567", std::nullopt},
        {"1.0.0.21012345678", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parse_version_text(c.text), c.version) << c.text;
}

TEST(DeviceIdFromDigits, DecimalDigitsReadAsHex)
{
    const struct {
        std::string_view text;
        std::uint16_t id;
    } cases[] = {
        {"8640", 0x8640}, {"9470", 0x9470},    {"0", 0},           {"abc", 0},
        {"", 0},          {"123", 0x0123},     {"65535", 0x5535},  {"12345", 0x2345},
        {"86A0", 0x0086}, {"-8640", 0x79C0},   {"-1", 0xFFFF},     {"4294975936", 0x8640},
        {"-2147483648", 0xC9B8},
    };
    for (const auto& c : cases)
        EXPECT_EQ(device_id_from_digits(c.text), c.id) << c.text;
}

TEST(DeviceIdRules, FamilyAndAcceptedList)
{
    const struct {
        std::uint16_t id;
        bool in_family;
        bool accepted;
    } cases[] = {
        {0x8640, true, true},  {0x9470, true, true},  {0x9310, true, true},
        {0x9340, true, true},  {0x9356, true, true},  {0x9999, true, false},
        {0x8000, true, false}, {0x7FFF, false, false}, {0x7180, false, false},
        {0xFFFF, true, false}, {0, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(device_id_in_family(c.id), c.in_family) << std::hex << c.id;
        EXPECT_EQ(device_id_accepted(c.id), c.accepted) << std::hex << c.id;
    }
}

} // namespace
} // namespace corvane
