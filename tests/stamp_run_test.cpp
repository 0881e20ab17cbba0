// The stamping end to end: the built tool on real files in a scratch
// directory, checking standard output exactly, the exit status and every byte
// of the file it leaves behind.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <zlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/oracle.h"
#include "tests/run_tool.h"

namespace corvane::testing {
namespace {

namespace fs = std::filesystem;
using bytes = std::vector<unsigned char>;

struct header_fields {
    unsigned char type;
    std::array<unsigned char, 5> version;
    std::uint16_t device_id;
};
constexpr header_fields bios_8640 = {2, {1, 0, 0, 21, 1}, 0x8640};

std::vector<std::string> bios_args(const char* size_kb)
{
    return command_line("bios", size_kb, "1.0.0.2101", "8640");
}

bytes counting(std::size_t size)
{
    bytes b(size);
    for (std::size_t i = 0; i < size; ++i)
        b[i] = static_cast<unsigned char>(i);
    return b;
}

void put_le(unsigned char* at, std::uint32_t value, int width)
{
    for (int i = 0; i < width; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

void put_header(unsigned char* h, std::uint32_t size, header_fields f, std::uint32_t crc)
{
    std::memcpy(h, "ZT_FLASH", 8);
    h[8] = f.type;
    std::memcpy(h + 9, f.version.data(), 5);
    put_le(h + 14, size, 4);
    put_le(h + 18, f.device_id, 2);
    std::memset(h + 20, 0, 40);
    put_le(h + 60, crc, 4);
}

// What a successful run must leave: the input padded with 0xFF to `size`,
// the header 72 bytes before the end, its CRC by zlib, the last 8 bytes kept.
bytes expected_image(bytes image, std::uint32_t size, header_fields f)
{
    image.resize(size, 0xFF);
    put_header(&image[size - 72], size, f, 0);
    put_le(&image[size - 12], oracle_word(image), 4);
    return image;
}

std::uint32_t stored_crc(const bytes& image)
{
    const unsigned char* c = &image[image.size() - 12];
    return c[0] | c[1] << 8 | c[2] << 16 | static_cast<std::uint32_t>(c[3]) << 24;
}

std::string format(const char* pattern, unsigned long long value)
{
    char text[128];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string report(header_fields f, std::uint32_t crc)
{
    const auto& v = f.version;
    return "header signature = ZT_FLASH\n" + format("header type = 0x%llx \n", f.type) +
           "header version = " + std::to_string(v[0]) + "." + std::to_string(v[1]) + "." +
           std::to_string(v[2]) + "." + std::to_string(v[3]) + "." + std::to_string(v[4]) +
           " ,[major.minor.oem.beta.alpha]\n" + format("header crc = 0x%llx \n", crc);
}

std::string success_output(const std::vector<std::string>& args, const char* file_name,
                           const bytes& image, header_fields f,
                           std::optional<std::uint32_t> old_crc = std::nullopt)
{
    std::string out = greeting_and_echo(args);
    if (old_crc)
        out += "Attention: the image already has header, but still modify the header!\n"
               "********** original header print start **********\n" +
               report(f, *old_crc) + "********** original header print end **********\n";
    return out + format("File target_size %llX\n", image.size()) +
           format("image CRC generated,crc =%llX\n", stored_crc(image)) + file_name +
           " image create header succeed!\n" + report(f, stored_crc(image));
}

TEST(Stamp, EmptyFileOfEveryKind)
{
    const struct {
        const char* kind;
        const char* file;
        unsigned char type;
    } kinds[] = {
        {"hbainfo", "hbainfo.bin", 0}, {"bios", "bios.bin", 2},  {"firmware", "firmware.bin", 3},
        {"uboot", "fwloader.bin", 4},  {"hba", "hba.txt", 5},    {"desc", "desc.txt", 6},
    };
    for (const auto& k : kinds) {
        scratch_dir dir;
        write_file(dir.path() / k.file, {});
        const auto args = command_line(k.kind, "4", "12.34.56.7890", "9356");
        const run_result r = run_tool(dir.path(), args);
        const header_fields f = {k.type, {12, 34, 56, 78, 90}, 0x9356};
        const bytes expected = expected_image({}, 4096, f);
        EXPECT_EQ(read_file(dir.path() / k.file), expected) << k.kind;
        EXPECT_EQ(r.out, success_output(args, k.file, expected, f)) << k.kind;
        EXPECT_EQ(r.status, 0) << k.kind;
    }
}

TEST(Stamp, DocumentedRuns)
{
    const struct {
        std::size_t input_size;
        const char* size_kb;
        std::uint32_t image_size;
    } runs[] = {{1000, "2", 2048}, {100000, "128", 131072}};
    for (const auto& run : runs) {
        scratch_dir dir;
        write_file(dir.path() / "bios.bin", counting(run.input_size));
        const run_result r = run_tool(dir.path(), bios_args(run.size_kb));
        const bytes expected = expected_image(counting(run.input_size), run.image_size, bios_8640);
        EXPECT_EQ(read_file(dir.path() / "bios.bin"), expected);
        EXPECT_EQ(r.out, success_output(bios_args(run.size_kb), "bios.bin", expected, bios_8640));
        EXPECT_EQ(r.status, 0);
    }
    // The 1000-byte example, byte by byte.
    scratch_dir dir;
    write_file(dir.path() / "bios.bin", counting(1000));
    ASSERT_EQ(run_tool(dir.path(), bios_args("2")).status, 0);
    const bytes image = read_file(dir.path() / "bios.bin");
    ASSERT_EQ(image.size(), 2048u);
    EXPECT_EQ(stored_crc(image), 0x5C9AF745u);
    EXPECT_EQ(bytes(image.begin() + 2036, image.begin() + 2040), (bytes{0x45, 0xF7, 0x9A, 0x5C}));
    for (const std::size_t i : {1000u, 1500u, 1975u, 2040u, 2047u})
        EXPECT_EQ(image[i], 0xFF) << i;
    EXPECT_EQ(image[999], 999 % 256);
}

TEST(Stamp, FileOfExactSizeKeepsItsLastEightBytes)
{
    scratch_dir dir;
    const bytes input = counting(2048);  // no signature at 1976
    write_file(dir.path() / "bios.bin", input);
    const run_result r = run_tool(dir.path(), bios_args("2"));
    const bytes expected = expected_image(input, 2048, bios_8640);
    const bytes image = read_file(dir.path() / "bios.bin");
    EXPECT_EQ(image, expected);
    EXPECT_EQ(bytes(image.end() - 8, image.end()), bytes(input.end() - 8, input.end()));
    EXPECT_EQ(r.out, success_output(bios_args("2"), "bios.bin", expected, bios_8640));
}

TEST(Stamp, RestampReportsTheOldHeader)
{
    scratch_dir dir;
    write_file(dir.path() / "bios.bin", counting(1000));
    ASSERT_EQ(run_tool(dir.path(), bios_args("2")).status, 0);
    const bytes first = read_file(dir.path() / "bios.bin");

    // Same arguments: the old header is shown, and the same bytes result.
    const run_result again = run_tool(dir.path(), bios_args("2"));
    EXPECT_EQ(read_file(dir.path() / "bios.bin"), first);
    EXPECT_EQ(again.out, success_output(bios_args("2"), "bios.bin", first, bios_8640, stored_crc(first)));
    EXPECT_EQ(again.status, 0);

    // Larger: no report; the old header stays as covered content.
    const run_result larger = run_tool(dir.path(), bios_args("4"));
    const bytes expected = expected_image(first, 4096, bios_8640);
    EXPECT_EQ(read_file(dir.path() / "bios.bin"), expected);
    EXPECT_EQ(larger.out, success_output(bios_args("4"), "bios.bin", expected, bios_8640));

    // Smaller: refused, untouched.
    const run_result smaller = run_tool(dir.path(), bios_args("2"));
    EXPECT_EQ(smaller.out, greeting_and_echo(bios_args("2")) +
                               "Error: input size [0x800] is too small,image size = 0x1000\n");
    EXPECT_EQ(smaller.status, 1);
    EXPECT_EQ(read_file(dir.path() / "bios.bin"), expected);
}

TEST(Stamp, LostReportIsAFailure)
{
    // The image is stamped, but a build script reading the report gets nothing.
    scratch_dir dir;
    write_file(dir.path() / "bios.bin", counting(1000));
    const run_result r = run_tool(dir.path(), bios_args("2"), run_as::self, "/dev/full");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "corvane: standard output could not be written\n");
    EXPECT_EQ(read_file(dir.path() / "bios.bin"), expected_image(counting(1000), 2048, bios_8640));
}

TEST(Stamp, SymbolicLinkIsFollowed)
{
    scratch_dir dir;
    write_file(dir.path() / "real.bin", counting(1000));
    fs::create_symlink("real.bin", dir.path() / "bios.bin");
    EXPECT_EQ(run_tool(dir.path(), bios_args("2")).status, 0);
    EXPECT_TRUE(fs::is_symlink(dir.path() / "bios.bin"));
    EXPECT_EQ(read_file(dir.path() / "real.bin"), expected_image(counting(1000), 2048, bios_8640));
}

// What stands under the image's name before a refused run, and after it.
enum class entry { missing, empty, counting_1000, counting_2049, directory, fifo, dir_link };

void make_entry(const fs::path& at, entry e)
{
    switch (e) {
    case entry::missing: break;
    case entry::empty: write_file(at, {}); break;
    case entry::counting_1000: write_file(at, counting(1000)); break;
    case entry::counting_2049: write_file(at, counting(2049)); break;
    case entry::directory: fs::create_directory(at); break;
    case entry::fifo: ASSERT_EQ(mkfifo(at.c_str(), 0644), 0); break;
    case entry::dir_link:
        fs::create_directory(at.parent_path() / "elsewhere");
        fs::create_symlink("elsewhere", at);
        break;
    }
}

bool entry_unchanged(const fs::path& at, entry e)
{
    switch (e) {
    case entry::missing: return !fs::exists(fs::symlink_status(at));
    case entry::empty: return read_file(at).empty();
    case entry::counting_1000: return read_file(at) == counting(1000);
    case entry::counting_2049: return read_file(at) == counting(2049);
    case entry::directory: return fs::is_directory(at) && fs::is_empty(at);
    case entry::fifo: return fs::is_fifo(at);
    case entry::dir_link: return fs::is_symlink(at) && fs::is_empty(at);
    }
    return false;
}

TEST(Stamp, RefusedBeforeAnyWrite)
{
    const struct {
        entry before;
        const char* size_kb;
        std::string message;
    } cases[] = {
        {entry::counting_2049, "2", "Error: input size [0x800] is too small,image size = 0x801\n"},
        {entry::counting_1000, "4194304", "Error: input size [0x0] is too small,image size = 0x3e8\n"},
        {entry::empty, "4194304", "Error: image size [0x0] is too small to hold the header!\n"},
        {entry::missing, "2", "File open failed!\n"},
        {entry::directory, "2", "File open failed!\n"},
        {entry::fifo, "2", "File open failed!\n"},
        {entry::dir_link, "2", "File open failed!\n"},
    };
    for (const auto& c : cases) {
        scratch_dir dir;
        make_entry(dir.path() / "bios.bin", c.before);
        const run_result r = run_tool(dir.path(), bios_args(c.size_kb));
        EXPECT_EQ(r.out, greeting_and_echo(bios_args(c.size_kb)) + c.message);
        EXPECT_EQ(r.status, 1) << c.message;
        EXPECT_TRUE(entry_unchanged(dir.path() / "bios.bin", c.before)) << c.message;
    }
}

TEST(Stamp, InputLongerThanFourGiBShowsItsTrueLength)
{
    scratch_dir dir;
    const std::uintmax_t length = (std::uintmax_t{5} << 30) + 1;
    write_file(dir.path() / "bios.bin", {});
    fs::resize_file(dir.path() / "bios.bin", length);  // sparse
    const run_result r = run_tool(dir.path(), bios_args("2"));
    EXPECT_EQ(r.out, greeting_and_echo(bios_args("2")) +
                         "Error: input size [0x800] is too small,image size = 0x140000001\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(fs::file_size(dir.path() / "bios.bin"), length);
}

TEST(Stamp, ImageBeyondTwoGiB)
{
    // A sparse input of 2 GiB, padded by 2 KB: every length passes 2^31.
    scratch_dir dir;
    const std::uint64_t input_length = std::uint64_t{1} << 31;
    const std::uint64_t image_size = input_length + 2048;
    write_file(dir.path() / "bios.bin", {});
    fs::resize_file(dir.path() / "bios.bin", input_length);
    const run_result r = run_tool(dir.path(), bios_args("2097154"));
    ASSERT_EQ(r.status, 0) << r.out;
    ASSERT_EQ(fs::file_size(dir.path() / "bios.bin"), image_size);

    // Only the last 2 KB differ from zeros: check them, and the CRC over the
    // whole file by zlib.
    std::FILE* image = std::fopen((dir.path() / "bios.bin").c_str(), "rb");
    ASSERT_NE(image, nullptr);
    bytes piece(1 << 20);
    uLong crc = crc32(0L, nullptr, 0);
    for (std::uint64_t left = image_size - 12; left > 0;) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(left, piece.size()));
        ASSERT_EQ(std::fread(piece.data(), 1, n, image), n);
        crc = crc32(crc, piece.data(), static_cast<uInt>(n));
        left -= n;
    }
    bytes tail(2048);
    ASSERT_EQ(fseeko(image, static_cast<off_t>(input_length), SEEK_SET), 0);
    ASSERT_EQ(std::fread(tail.data(), 1, tail.size(), image), tail.size());
    std::fclose(image);
    const std::uint32_t word = word_from_zlib_crc(crc);
    bytes expected_tail(2048, 0xFF);
    put_header(&expected_tail[2048 - 72], static_cast<std::uint32_t>(image_size), bios_8640, word);
    EXPECT_EQ(tail, expected_tail);
    EXPECT_TRUE(r.out.ends_with(format("File target_size %llX\n", image_size) +
                                format("image CRC generated,crc =%llX\n", word) +
                                "bios.bin image create header succeed!\n" + report(bios_8640, word)))
        << r.out;
}

TEST(Stamp, WriteProtectedImageIsNotWritten)
{
    if (!can_drop_privileges())
        GTEST_SKIP() << "cannot run the tool as an unprivileged user here";
    const struct {
        std::size_t input_size;
        const char* message;  // exact size fails at the old-header step, shorter at padding
    } cases[] = {{2048, "File open failed!\n"}, {1000, "File re-open failed!\n"}};
    for (const auto& c : cases) {
        scratch_dir dir;
        write_file(dir.path() / "bios.bin", counting(c.input_size));
        fs::permissions(dir.path() / "bios.bin",
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        const run_result r = run_tool(dir.path(), bios_args("2"), run_as::unprivileged);
        EXPECT_TRUE(r.out.ends_with(std::string("argv[8]:8640\n") + c.message)) << r.out;
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(read_file(dir.path() / "bios.bin"), counting(c.input_size));
    }
}

TEST(Stamp, FullDiskWhilePaddingIsAFailure)
{
    scratch_dir dir;
    const fs::path disk = dir.path() / "disk";
    fs::create_directory(disk);
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    struct unmount_guard {
        const fs::path& at;
        ~unmount_guard() { umount(at.c_str()); }
    } guard{disk};

    write_file(disk / "bios.bin", counting(1000));
    const run_result r = run_tool(disk, bios_args("64"));
    EXPECT_EQ(r.out, greeting_and_echo(bios_args("64")) + "File write failed!\n");
    EXPECT_EQ(r.status, 1);
    // Left partly padded: the input as it was, then 0xFF only.
    const bytes image = read_file(disk / "bios.bin");
    ASSERT_GE(image.size(), 1000u);
    EXPECT_LT(image.size(), 65536u);
    EXPECT_EQ(bytes(image.begin(), image.begin() + 1000), counting(1000));
    EXPECT_EQ(std::count(image.begin() + 1000, image.end(), 0xFF),
              static_cast<std::ptrdiff_t>(image.size() - 1000));
}

} // namespace
} // namespace corvane::testing
