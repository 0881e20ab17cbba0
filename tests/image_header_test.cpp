#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "image/image_header.h"

namespace corvane {
namespace {

image_header built(std::uint8_t type, image_version version, std::uint32_t size, std::uint16_t id)
{
    image_header header{};
    build_image_header(header, type, version, size, id);
    return header;
}

TEST(ImageHeader, BytesOfTheOverviewHeader)
{
    const image_header header = built(2, {1, 0, 0, 21, 1}, 0x20000, 0x8640);
    std::array<std::uint8_t, 64> expected{};
    std::memcpy(expected.data(), "ZT_FLASH", 8);
    expected[8] = 2;
    expected[9] = 1;
    expected[12] = 21;
    expected[13] = 1;
    expected[14] = 0x00;  // size 0x00020000, little-endian
    expected[15] = 0x00;
    expected[16] = 0x02;
    expected[17] = 0x00;
    expected[18] = 0x40;  // device id 0x8640, little-endian
    expected[19] = 0x86;
    EXPECT_EQ(header.bytes, expected);
}

TEST(ImageHeader, EveryFieldAtItsOffset)
{
    image_header header = built(0, {0xFE, 0x12, 0x34, 0x56, 0x78}, 0xA1B2C3D4u, 0x9356);
    set_header_crc(header, 0x5C9AF745u);
    const auto& b = header.bytes;
    EXPECT_EQ(b[8], 0);
    EXPECT_EQ((std::array<std::uint8_t, 5>{b[9], b[10], b[11], b[12], b[13]}),
              (image_version{0xFE, 0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ((std::array<std::uint8_t, 4>{b[14], b[15], b[16], b[17]}),
              (std::array<std::uint8_t, 4>{0xD4, 0xC3, 0xB2, 0xA1}));
    EXPECT_EQ(b[18], 0x56);
    EXPECT_EQ(b[19], 0x93);
    for (std::size_t i = 20; i < 60; ++i)
        EXPECT_EQ(b[i], 0) << "reserved byte " << i;
    EXPECT_EQ((std::array<std::uint8_t, 4>{b[60], b[61], b[62], b[63]}),
              (std::array<std::uint8_t, 4>{0x45, 0xF7, 0x9A, 0x5C}));
    EXPECT_EQ(header_crc(header), 0x5C9AF745u);
}

TEST(ImageHeader, SignatureRecognition)
{
    const struct {
        const char* start;
        bool recognised;
    } cases[] = {
        {"ZT_FLASH", true},  {"ZT_FLASHxyz", true}, {"zt_flash", false},
        {"ZT_FLAS", false},  {"ZT_FLASh", false},   {"", false},
    };
    for (const auto& c : cases) {
        image_header block{};
        block.bytes.fill(0xA5);
        std::memcpy(block.bytes.data(), c.start, std::strlen(c.start));
        EXPECT_EQ(has_signature(block), c.recognised) << c.start;
    }
    image_header signed_only{};
    put_signature(signed_only);
    EXPECT_TRUE(has_signature(signed_only));
}

TEST(ImageHeader, Report)
{
    const struct {
        image_header header;
        std::uint32_t crc;
        const char* report;
    } cases[] = {
        {built(2, {1, 0, 0, 21, 1}, 0x20000, 0x8640), 0x3DBEDBCA,
         "header signature = ZT_FLASH\n"
         "header type = 0x2 \n"
         "header version = 1.0.0.21.1 ,[major.minor.oem.beta.alpha]\n"
         "header crc = 0x3dbedbca \n"},
        {built(0, {255, 208, 100, 99, 0}, 0, 0x9470), 0,
         "header signature = ZT_FLASH\n"
         "header type = 0x0 \n"
         "header version = 255.208.100.99.0 ,[major.minor.oem.beta.alpha]\n"
         "header crc = 0x0 \n"},
    };
    for (auto c : cases) {
        set_header_crc(c.header, c.crc);
        ::testing::internal::CaptureStdout();
        print_image_header(c.header);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.report);
    }
}

} // namespace
} // namespace corvane
