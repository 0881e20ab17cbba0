#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <numeric>
#include <random>
#include <string_view>
#include <vector>

#include "image/image_crc.h"
#include "stamp/crc_pass.h"
#include "tests/oracle.h"
#include "tests/run_tool.h"

namespace corvane {
namespace {

using bytes = std::vector<unsigned char>;

bytes counting(std::size_t size)
{
    bytes b(size);
    for (std::size_t i = 0; i < size; ++i)
        b[i] = static_cast<unsigned char>(i);
    return b;
}

TEST(CrcAccumulate, PublishedVectorAndZlib)
{
    const std::string_view abc = "abc";
    const std::uint32_t reg =
        crc_accumulate(crc_initial, {reinterpret_cast<const std::uint8_t*>(abc.data()), abc.size()});
    EXPECT_EQ(reg, 0xCADBBE3Du);
    EXPECT_EQ(checksum_word(reg), 0x3DBEDBCAu);

    std::mt19937 random(2026);
    for (const std::size_t size : {0u, 1u, 511u, 512u, 4099u}) {
        bytes data(size);
        for (auto& b : data)
            b = static_cast<unsigned char>(random());
        const auto zlib = static_cast<std::uint32_t>(crc32(0L, data.data(), static_cast<uInt>(size)));
        EXPECT_EQ(crc_accumulate(crc_initial, data), ~zlib) << size;
        // In pieces equals whole.
        const std::size_t half = size / 3;
        const std::uint32_t pieces = crc_accumulate(
            crc_accumulate(crc_initial, std::span(data.data(), half)),
            std::span(data.data() + half, size - half));
        EXPECT_EQ(pieces, ~zlib) << size;
    }
}

// The pass over a real file, through the 512-byte buffer.
crc_pass_result pass_over(const bytes& content, std::uint64_t length)
{
    testing::scratch_dir dir;
    const auto file = dir.path() / "image";
    testing::write_file(file, content);
    std::FILE* stream = std::fopen(file.c_str(), "rb");
    crc_buffer buf{};
    const crc_pass_result result = image_crc_pass(stream, length, buf);
    std::fclose(stream);
    return result;
}

TEST(ImageCrcPass, CoversAllButTheLastTwelveBytes)
{
    bytes ff(2048, 0xFF);
    const struct {
        bytes content;
        std::uint32_t word;
    } vectors[] = {
        {counting(2048), 0x6D4ECBB5u},
        {ff, 0xD1FEDB11u},
    };
    for (const auto& v : vectors) {
        const crc_pass_result r = pass_over(v.content, v.content.size());
        EXPECT_EQ(r.status, crc_pass_status::ok);
        EXPECT_EQ(r.word, v.word);
        EXPECT_EQ(r.word, testing::oracle_word(v.content));
    }
    // Lengths that are not whole pieces, and ones shorter than the tail.
    for (const std::size_t size : {0u, 5u, 12u, 13u, 1000u, 1036u, 6144u}) {
        const bytes content = counting(size);
        const crc_pass_result r = pass_over(content, size);
        EXPECT_EQ(r.status, crc_pass_status::ok) << size;
        EXPECT_EQ(r.word, testing::oracle_word(content)) << size;
    }
}

TEST(ImageCrcPass, OnlyCoveredBytesChangeTheWord)
{
    const bytes original = counting(4096);
    const std::uint32_t word = pass_over(original, original.size()).word;
    for (const std::size_t at : {0u, 511u, 512u, 4020u, 4083u, 4084u, 4090u, 4095u}) {
        bytes changed = original;
        changed[at] ^= 0x5A;
        const bool covered = at < 4096 - 12;
        EXPECT_EQ(pass_over(changed, changed.size()).word != word, covered) << at;
    }
}

TEST(ImageCrcPass, ShortReadFailsThePass)
{
    // The file is shorter than the length asked for: it shrank under the tool.
    EXPECT_EQ(pass_over(counting(2000), 2048).status, crc_pass_status::read_failed);
}

} // namespace
} // namespace corvane
