// The stamping end to end: the built tool on real files, checking standard
// output exactly, the exit status and every byte of the file left behind.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <tuple>

#include "tests/harness.h"

namespace corvane::testing {
namespace {

void put_le32(unsigned char* at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(v >> (8 * i));
}
unsigned le32(const unsigned char* at)
{
    return unsigned{at[0]} | unsigned{at[1]} << 8 | unsigned{at[2]} << 16 | unsigned{at[3]} << 24;
}

// The header of a -v 1.0.0.2101 -i 8640 run, as its 64 bytes.
void put_header(unsigned char* h, std::uint32_t size, unsigned char type, std::uint32_t crc)
{
    const unsigned char fields[20] = {'Z', 'T', '_', 'F', 'L', 'A', 'S', 'H', type, 1,
                                      0,   0,   21,  1,   0,   0,   0,   0,   0x40, 0x86};
    std::fill_n(std::copy_n(fields, 20, h), 40, 0);
    put_le32(h + 14, size);
    put_le32(h + 60, crc);
}

// The input padded with 0xFF, the header 72 bytes before the end with its
// CRC by zlib, the last 8 bytes as they were.
bytes expected_image(bytes image, std::uint32_t size, unsigned char type)
{
    image.resize(size, 0xFF);
    put_header(&image[size - 72], size, type, 0);
    put_le32(&image[size - 12], oracle_word(image));
    return image;
}

std::string report(const unsigned char* h)
{
    char text[256];
    std::snprintf(text, sizeof text,
                  "header signature = %.8s\nheader type = 0x%x \nheader version = "
                  "%d.%d.%d.%d.%d ,[major.minor.oem.beta.alpha]\nheader crc = 0x%x \n",
                  reinterpret_cast<const char*>(h), h[8], h[9], h[10], h[11], h[12], h[13],
                  le32(h + 60));
    return text;
}

std::string success_output(const words& args, const std::string& file, const bytes& input,
                           const bytes& image)
{
    const std::size_t at = image.size() - 72;
    std::string out = greeting_and_echo(args);
    if (input.size() == image.size() && std::memcmp(&input[at], "ZT_FLASH", 8) == 0)
        out += "Attention: the image already has header, but still modify the header!\n"
               "********** original header print start **********\n" +
               report(&input[at]) + "********** original header print end **********\n";
    char lines[96];
    std::snprintf(lines, sizeof lines, "File target_size %zX\nimage CRC generated,crc =%X\n",
                  image.size(), le32(&image[at + 60]));
    return out + lines + file + " image create header succeed!\n" + report(&image[at]);
}

TEST(Stamp, Succeeds)
{
    const bytes stamped = expected_image(counting(1000), 2048, 2);
    EXPECT_EQ(bytes(stamped.begin() + 2036, stamped.begin() + 2040),
              (bytes{0x45, 0xF7, 0x9A, 0x5C}));
    const struct {
        const char *kind, *file;
        unsigned char type;
        bytes input;
        const char* size_kb;
    } cases[] = {
        {"hbainfo", "hbainfo.bin", 0, {}, "4"},
        {"firmware", "firmware.bin", 3, {}, "2"},
        {"uboot", "fwloader.bin", 4, {}, "2"},
        {"hba", "hba.txt", 5, {}, "2"},
        {"desc", "desc.txt", 6, {}, "2"},
        {"bios", "bios.bin", 2, counting(1000), "2"},
        {"bios", "bios.bin", 2, counting(100000), "128"},
        {"bios", "bios.bin", 2, counting(2048), "2"}, // exact size, no header yet
        {"bios", "bios.bin", 2, stamped, "2"},        // again: the old header is shown
        {"bios", "bios.bin", 2, stamped, "4"},        // larger: the old header is content
    };
    for (const auto& c : cases) {
        const scratch_dir dir;
        write_file(dir.work / c.file, c.input);
        const run_result r = run_tool(dir, command_line(c.kind, c.size_kb));
        const bytes expected = expected_image(
            c.input, static_cast<std::uint32_t>(std::stoul(c.size_kb)) * 1024, c.type);
        EXPECT_EQ(read_file(dir.work / c.file), expected) << c.kind << " " << c.input.size();
        EXPECT_EQ(r.out,
                  success_output(command_line(c.kind, c.size_kb), c.file, c.input, expected));
        EXPECT_EQ(r.status, 0);
    }
}

// What stands under a name (type, length, content of a small file), to tell that a refused run left
// it alone.
auto describe(const fs::path& p)
{
    const bool small = fs::is_regular_file(fs::symlink_status(p)) && fs::file_size(p) < (1 << 20);
    return std::tuple{fs::symlink_status(p).type(), small ? read_file(p) : bytes{},
                      fs::is_regular_file(p) ? fs::file_size(p) : 0};
}

TEST(Stamp, RefusedBeforeAnyWrite)
{
    using setup = std::function<void(const fs::path&)>;
    const auto file = [](bytes content) {
        return setup([=](const fs::path& p) { write_file(p, content); });
    };
    const struct {
        setup make;
        const char* size_kb;
        const char* message;
    } cases[] = {
        {file(counting(2049)), "2", "Error: input size [0x800] is too small,image size = 0x801\n"},
        {file(counting(1000)), "4194304",
         "Error: input size [0x0] is too small,image size = 0x3e8\n"},
        {file({}), "4194304", "Error: image size [0x0] is too small to hold the header!\n"},
        {[](const fs::path& p) {
             write_file(p, {});
             fs::resize_file(p, (5ull << 30) + 1);
         },
         "2", "Error: input size [0x800] is too small,image size = 0x140000001\n"},
        {[](const fs::path&) {}, "2", "File open failed!\n"},
        {[](const fs::path& p) { fs::create_directory(p); }, "2", "File open failed!\n"},
        {[](const fs::path& p) { mkfifo(p.c_str(), 0644); }, "2", "File open failed!\n"},
        {[](const fs::path& p) { fs::create_directory_symlink("/", p); }, "2",
         "File open failed!\n"},
    };
    for (const auto& c : cases) {
        const scratch_dir dir;
        c.make(dir.work / "bios.bin");
        const auto before = describe(dir.work / "bios.bin");
        const run_result r = run_tool(dir, command_line("bios", c.size_kb));
        EXPECT_EQ(r.out, greeting_and_echo(command_line("bios", c.size_kb)) + c.message);
        EXPECT_EQ(r.status, 1) << c.message;
        EXPECT_EQ(describe(dir.work / "bios.bin"), before) << c.message;
    }
}

TEST(Stamp, WriteProtectedImageIsNotWritten)
{
    if (std::system((as_nobody + "true").c_str()) != 0)
        GTEST_SKIP() << "cannot run the tool as an unprivileged user here";
    // Exact size fails at the old-header step, a shorter file at padding.
    for (const auto& [size, message] : {std::pair{std::size_t{2048}, "File open failed!\n"},
                                        {std::size_t{1000}, "File re-open failed!\n"}}) {
        const scratch_dir dir;
        write_file(dir.work / "bios.bin", counting(size));
        fs::permissions(dir.work / "bios.bin", fs::perms::owner_read | fs::perms::others_read);
        const run_result r = run_tool(dir, command_line("bios", "2"), as_nobody);
        EXPECT_TRUE(r.out.ends_with(std::string("argv[8]:8640\n") + message)) << r.out;
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(read_file(dir.work / "bios.bin"), counting(size));
    }
}

TEST(Stamp, FullDiskWhilePaddingLeavesAPartlyPaddedFile)
{
    const scratch_dir dir;
    if (mount("tmpfs", dir.work.c_str(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    write_file(dir.work / "bios.bin", counting(1000));
    const run_result r = run_tool(dir, command_line("bios", "64"));
    const bytes image = read_file(dir.work / "bios.bin");
    umount(dir.work.c_str());
    EXPECT_EQ(r.out, greeting_and_echo(command_line("bios", "64")) + "File write failed!\n");
    EXPECT_EQ(r.status, 1);
    ASSERT_TRUE(image.size() >= 1000 && image.size() < 65536) << image.size();
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 1000, counting(1000).begin()));
    EXPECT_TRUE(
        std::all_of(image.begin() + 1000, image.end(), [](unsigned char b) { return b == 0xFF; }));
}

// The states a 1000-byte bios.bin, stamped with -s 2, passes through.
struct states {
    bytes input = counting(1000), padded = input, crc0 = expected_image(input, 2048, 2),
          stamped = crc0;
    states()
    {
        padded.resize(2048, 0xFF);
        put_le32(&crc0[2036], 0);
    }
};

// Once the cause of a failure is gone, running again with the same arguments finishes the job.
void expect_rerun_finishes(const scratch_dir& dir, const words& args)
{
    const bytes before = read_file(dir.work / "bios.bin");
    const run_result r = run_tool(dir, args);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(read_file(dir.work / "bios.bin"), expected_image(before, 2048, 2));
}

bool shell_ok(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Each row disturbs one run (a command it runs under, where its standard output goes, or what
// stands under the image's name) and gives the line it ends with and the file it leaves; each such
// run ends with status 1.
TEST(Stamp, FaultsEndInAMessageAndAKnownState)
{
    const states s;
    // What a row needs, as a command that succeeds where it is there.
    const std::string strace = "strace -o /dev/null true";
    const std::string chattr = "f=$(mktemp) && chattr +a \"$f\" && chattr -a \"$f\" && rm \"$f\"";
    const std::string inject =
        "ASAN_OPTIONS=detect_leaks=0 strace -f -o /dev/null -P \"$PWD/bios.bin\" -e inject=";
    const std::string closed = "File closed failed!\n",
                      crc_closed = "File closed failed when generate CRC!\n";
    const std::string write_failed = "File write failed!\n",
                      lost = "corvane: standard output could not be written\n";
    const std::string on_image = "File is the standard output or standard error of this run!\n";
    const std::string long_version =
        "1.0.0.2101." + std::string(20000, 'x'); // a report past any buffer
    using setup = std::function<void(const fs::path&)>;
    const setup none = [](const fs::path&) {};
    const struct {
        std::string needs, prefix, redirect, version;
        setup make, undo;
        std::string out_tail, err;
        const bytes& file;
    } rows[] = {
        // A close that fails at each step in turn: measure, pad, measure, header, two passes,
        // header.
        {strace, inject + "close:error=EIO:when=1 ", "", "", none, none, closed, "", s.input},
        {strace, inject + "close:error=EIO:when=2 ", "", "", none, none, closed, "", s.padded},
        {strace, inject + "close:error=EIO:when=3 ", "", "", none, none, closed, "", s.padded},
        {strace, inject + "close:error=EIO:when=4 ", "", "", none, none, closed, "", s.crc0},
        {strace, inject + "close:error=EIO:when=5 ", "", "", none, none, crc_closed, "", s.crc0},
        {strace, inject + "close:error=EIO:when=6 ", "", "", none, none, crc_closed, "", s.crc0},
        {strace, inject + "close:error=EIO:when=7 ", "", "", none, none, closed, "", s.stamped},
        // A write that fails at each write step: padding, first header, final header.
        {strace, inject + "pwrite64:error=ENOSPC:when=1 ", "", "", none, none, write_failed, "",
         s.input},
        {strace, inject + "pwrite64:error=ENOSPC:when=2 ", "", "", none, none, write_failed, "",
         s.padded},
        {strace, inject + "pwrite64:error=ENOSPC:when=3 ", "", "", none, none, write_failed, "",
         s.crc0},
        // Another run holds the image.
        {"", "flock bios.bin ", "", "", none, none, "File is locked by another process!\n", "",
         s.input},
        // Standard output closed, full, or the image itself.
        {"", "", ">&-", long_version, none, none, "", lost, s.stamped},
        {"", "", ">/dev/full", "", none, none, "", lost, s.stamped},
        {"", "", ">>bios.bin", "", none, none, "", on_image, s.input},
        {"", "", "1<>bios.bin", "", none, none, "", on_image, s.input},
        // An append-only file is refused before padding.
        {chattr, "", "", "",
         [](const fs::path& p) { ASSERT_TRUE(shell_ok("chattr +a '" + p.string() + "'")); },
         [](const fs::path& p) { shell_ok("chattr -a '" + p.string() + "'"); },
         "File re-open failed!\n", "", s.input},
        // A link into a pseudo file system is refused at once.
        {"", "", "", "",
         [](const fs::path& p) {
             fs::remove(p);
             fs::create_symlink("/proc/version", p);
         },
         [&](const fs::path& p) {
             fs::remove(p);
             write_file(p, s.input);
         },
         "File open failed!\n", "", s.input},
    };
    for (const auto& row : rows) {
        const std::string what = row.prefix + row.redirect + row.out_tail;
        if (!row.needs.empty() && !shell_ok(row.needs)) {
            std::printf("[  SKIPPED ] %s: %s is not usable here\n", what.c_str(),
                        row.needs.c_str());
            continue;
        }
        const scratch_dir dir;
        const fs::path image = dir.work / "bios.bin";
        write_file(image, s.input);
        row.make(image);
        const words args =
            command_line("bios", "2", row.version.empty() ? "1.0.0.2101" : row.version);
        const run_result r = run_tool(dir, args, row.prefix, row.redirect);
        EXPECT_TRUE(r.out.ends_with(row.out_tail)) << what << ": " << r.out;
        EXPECT_EQ(r.err, row.err) << what;
        EXPECT_EQ(r.status, 1) << what;
        if (fs::is_symlink(image))
            EXPECT_EQ(fs::read_symlink(image), "/proc/version");
        else
            EXPECT_EQ(read_file(image), row.file) << what;
        row.undo(image);
        expect_rerun_finishes(dir, args);
    }
}

// gdb stops the tool as it opens the image for its Nth step, or at its Nth checksum pass,
// and the file is changed under it there.
TEST(Stamp, FileChangedUnderTheRun)
{
    const states s;
    bytes grown = s.input, replaced = counting(2048), first_byte_changed = s.crc0;
    grown.insert(grown.end(), {'X', 'X', 'X', 'X'});
    first_byte_changed[0] = 'X';
    const std::string changed = "File changed by another process!\n";
    const std::string poke_first_byte = "printf X | dd of=bios.bin conv=notrunc status=none";
    const struct {
        const char* stop_at;
        int skip;
        std::string change, tail;
        const bytes& file;
    } rows[] = {
        // Grown between the size check and the padding.
        {"corvane::image_file::open", 2, "printf XXXX >> bios.bin", changed, grown},
        // Another file renamed over the image before the first header is written.
        {"corvane::image_file::open", 3,
         "cp ../replacement bios.bin.new && mv bios.bin.new bios.bin", changed, replaced},
        // Changed during the second pass: the passes disagree.
        {"corvane::image_crc_pass", 1, poke_first_byte, "File CRC verify failed!\n",
         first_byte_changed},
        // Changed between the second pass and the final header write.
        {"corvane::image_file::open", 7, poke_first_byte, changed, first_byte_changed},
    };
    for (const auto& row : rows) {
        const scratch_dir dir;
        write_file(dir.work / "bios.bin", s.input);
        write_file(dir.root / "replacement", replaced);
        std::system(
            ("cd '" + dir.work.string() +
             "' && gdb -batch -nx -ex 'set environment ASAN_OPTIONS=detect_leaks=0'"
             " -ex 'break " +
             row.stop_at + "' -ex 'ignore 1 " + std::to_string(row.skip) +
             "' -ex 'run -t bios -s 2 -v 1.0.0.2101 -i 8640 >../out' -ex 'shell " + row.change +
             "' -ex 'delete' -ex continue -ex 'print $_exitcode' " CORVANE_BINARY " >../gdb 2>&1")
                .c_str());
        const bytes out = read_file(dir.root / "out"), log = read_file(dir.root / "gdb");
        if (out.empty())
            GTEST_SKIP() << "gdb cannot run the tool here: " << std::string(log.begin(), log.end());
        const std::string text(out.begin(), out.end());
        EXPECT_NE(text.find(row.tail), std::string::npos) << row.change << ": " << text;
        EXPECT_TRUE(text.ends_with(changed)) << row.change << ": " << text;
        EXPECT_TRUE(std::string(log.begin(), log.end()).ends_with("$1 = 1\n")) << row.change;
        EXPECT_EQ(read_file(dir.work / "bios.bin"), row.file) << row.change;
        expect_rerun_finishes(dir, command_line("bios", "2"));
    }
}

TEST(Stamp, ImageBeyondTwoGiB)
{
    // A sparse 2 GiB input padded by 2 KB: every length passes 2^31.
    const scratch_dir dir;
    write_file(dir.work / "bios.bin", {});
    fs::resize_file(dir.work / "bios.bin", 1ull << 31);
    const run_result r = run_tool(dir, command_line("bios", "2097154"));
    ASSERT_EQ(fs::file_size(dir.work / "bios.bin"), (1ull << 31) + 2048) << r.out;
    // The last 2 KB, with zlib's CRC of 2 GiB of zeros (doubled up from 1 MiB) and of them.
    bytes tail(2048, 0xFF), zeros(1 << 20);
    put_header(&tail[2048 - 72], (1u << 31) + 2048, 2, 0);
    uLong crc = crc32(0L, zeros.data(), 1 << 20);
    for (z_off_t length = 1 << 20; length < (1ll << 31); length *= 2)
        crc = crc32_combine(crc, crc, length);
    put_le32(&tail[2048 - 12], oracle_word(crc32(crc, tail.data(), 2048 - 12)));
    std::ifstream in(dir.work / "bios.bin", std::ios::binary);
    in.seekg(1ll << 31);
    EXPECT_EQ(bytes(std::istreambuf_iterator<char>(in), {}), tail);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(
        r.out.ends_with("bios.bin image create header succeed!\n" + report(&tail[2048 - 72])));
}

} // namespace
} // namespace corvane::testing
