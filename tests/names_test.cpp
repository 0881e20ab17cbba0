// Names as the reports write them: for a terminal (C escapes) and in JSON (\u escapes), each byte
// of the UTF-8 reading at its boundaries; and the names of corvane-stamp's new files.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "io/image_file.h"
#include "io/new_file_name.h"
#include "io/path_names.h"
#include "report/json_string.h"
#include "report/printable_name.h"

namespace corvane {
namespace {

std::string json_string(std::string_view text)
{
    std::FILE* file = std::tmpfile();
    put_json_string(file, text);
    std::string written(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    const std::size_t got = std::fread(written.data(), 1, written.size(), file);
    std::fclose(file);
    return written.substr(0, got);
}

TEST(Names, ForATerminalAndInJson)
{
    const struct {
        std::string_view name, printable, json;
    } cases[] = {
        {"a plain~.bin", "a plain~.bin", "\"a plain~.bin\""},
        {"q\"\\\n\t\x01\x1f", "q\"\\\\\\n\\t\\x01\\x1f", "\"q\\\"\\\\\\n\\u0009\\u0001\\u001f\""},
        {"\x7f\xc2\x80\xc2\x9f\xc2\xa0", "\\x7f\\xc2\\x80\\xc2\\x9f\xc2\xa0",
         "\"\\u007f\\u0080\\u009f\xc2\xa0\""},
        {"\xe2\x80\xaa\xe2\x80\xae\xe2\x80\xaf\xe2\x81\xa6\xe2\x81\xa9\xe2\x81\xaa",
         "\\xe2\\x80\\xaa\\xe2\\x80\\xae\xe2\x80\xaf\\xe2\\x81\\xa6\\xe2\\x81\\xa9\xe2\x81\xaa",
         "\"\\u202a\\u202e\xe2\x80\xaf\\u2066\\u2069\xe2\x81\xaa\""},
        {"\xdf\xbf\xe0\xa0\x80\xef\xbf\xbd\xf0\x90\x80\x80\xf4\x8f\xbf\xbf",
         "\xdf\xbf\xe0\xa0\x80\xef\xbf\xbd\xf0\x90\x80\x80\xf4\x8f\xbf\xbf",
         "\"\xdf\xbf\xe0\xa0\x80\xef\xbf\xbd\xf0\x90\x80\x80\xf4\x8f\xbf\xbf\""},
        // Not UTF-8: a lone continuation, C0/C1 and F5 leads, an overlong form, a surrogate, past
        // U+10FFFF, a cut sequence; each bad byte stands alone.
        {"\x80\xc1\xbf\xf5\xe0\x80\xaf\xed\xa0\x80\xf4\x90\x80\x80\xe2\x82",
         "\\x80\\xc1\\xbf\\xf5\\xe0\\x80\\xaf\\xed\\xa0\\x80\\xf4\\x90\\x80\\x80\\xe2\\x82",
         "\"\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\u"
         "fffd"
         "\\ufffd\\ufffd\\ufffd\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(printable_name(c.name), c.printable) << c.printable;
        EXPECT_EQ(json_string(c.name), c.json) << c.printable;
    }
}

TEST(FileIdentity, UnknownDeviceMatchesOnTheNumber)
{
    const file_identity a{1, 7}, b{2, 7}, unknown{0, 7}, other{1, 8};
    EXPECT_TRUE(same_file(a, a));
    EXPECT_FALSE(same_file(a, b));
    EXPECT_TRUE(same_file(a, unknown));
    EXPECT_TRUE(same_file(unknown, b));
    EXPECT_FALSE(same_file(a, other));
    EXPECT_FALSE(same_file({0, 7}, {0, 8}));
}

// A new file's stem is the target's name where it fits, else its first whole characters, "~" and
// a hash; a new file's name is the stem, digits, a dot, digits.
TEST(NewFileName, StemsAndNames)
{
    std::string long_e = "a"; // then 150 two-byte characters, the cut falling inside one
    while (long_e.size() < 301)
        long_e += "\xc3\xa9";
    const struct {
        std::string base, kept; // the name, and what of it the stem keeps before "~" (all: no "~")
    } stems[] = {
        // clang-format off
        {"out.bin", "out.bin"}, {std::string(239, 'n'), std::string(239, 'n')}, {std::string(240, 'n'), std::string(230, 'n')},
        {long_e, long_e.substr(0, 229)}, {std::string(300, '\x80'), ""},
        {"fw~0badf00d", "fw~0badf00d"}, {"fw~0badf00", "fw~0badf00"}, {"fw~0BADF00D", "fw~0BADF00D"},
        // clang-format on
    };
    for (const auto& c : stems) {
        std::array<char, longest_file_name + 1> stem{};
        const std::string made(stem.data(), new_file_stem(c.base, stem));
        const bool whole = c.kept == c.base && !c.base.ends_with("~0badf00d");
        EXPECT_EQ(made.substr(0, made.size() - (whole ? 0 : 9)),
                  "." + c.kept + (whole ? "." : "~"));
        EXPECT_LE(made.size() + new_file_suffix_most, longest_file_name);
    }
    // clang-format off
    for (const auto& [entry, is] : {std::pair{".o.b.12.0", true}, {".o.b.4294967295.99", true}, {".o.b.12.", false},
                                    {".o.b..0", false}, {".o.b.1x.0", false}, {".o.b.12.0x", false}, {"o.b.12.0", false},
                                    {".o.b.01.0", false}, {".o.b.1.02", false}, {".o.b.1.100", false},
                                    {".o.b.12345678901.0", false}})
        EXPECT_EQ(is_new_file_name(entry, ".o.b."), is) << entry;
    // clang-format on
    std::array<char, longest_file_name + 1> one{}, other{}; // long names alike but at their end
    EXPECT_NE(std::string_view(one.data(), new_file_stem(std::string(300, 'n') + "1", one)),
              std::string_view(other.data(), new_file_stem(std::string(300, 'n') + "2", other)));
    // A name that ends as a long name's stem does gives a stem of its own.
    std::array<char, longest_file_name + 1> long_one{}, like_it{};
    const std::string_view stem(long_one.data(), new_file_stem(std::string(300, 'n'), long_one));
    const std::string alike(stem.substr(1, stem.size() - 2));
    EXPECT_EQ(alike.size(), 239u);
    EXPECT_NE(std::string_view(like_it.data(), new_file_stem(alike, like_it)), stem);
    EXPECT_EQ(base_name_at("a/b/c.bin"), 4u);
    EXPECT_EQ(base_name_at("c.bin"), 0u);
}

// Paths compared by their names alone, as a manifest's lines are written: from the root, then as
// named from another folder.
TEST(PathNames, FromTheRootAndFromAFolder)
{
    const struct {
        const char* folder;
        const char* path;
        const char* absolute;
    } from_root[] = {
        {"/b", "out/x.bin", "/b/out/x.bin"},
        {"/b/", "./out//x.bin", "/b/out/x.bin"},
        {"/b/c", "../x", "/b/x"},
        {"/b", "../../../x", "/x"},
        {"/b", "/abs/./y/../z", "/abs/z"},
        {"/", "x:name", "/x:name"},
        {"/b", "a/", "/b/a"},
        {"/b", ".", "/b"},
    };
    for (const auto& c : from_root) {
        char into[64];
        const std::size_t n = absolute_path(c.folder, c.path, into);
        EXPECT_EQ(std::string(into, n), c.absolute) << c.folder << " " << c.path;
    }
    const struct {
        const char* folder;
        const char* path;
        const char* relative;
    } from_folder[] = {
        {"/b/m/", "/b/out/x.bin", "../out/x.bin"},
        {"/b/", "/b/out/x.bin", "out/x.bin"},
        {"/b/out", "/b/out/x.bin", "x.bin"},
        {"/b/c/d/", "/x", "../../../x"},
        {"/b/o", "/b/out/x", "../out/x"},
        {"/b", "/b", "."},
        {"/", "/x", "x"},
    };
    for (const auto& c : from_folder) {
        char into[64];
        const std::size_t n = relative_path(c.folder, c.path, into);
        EXPECT_EQ(std::string(into, n), c.relative) << c.folder << " " << c.path;
    }
    char small[4];
    EXPECT_EQ(absolute_path("/b", "long", small), 0u);
    EXPECT_EQ(relative_path("/b/c", "/x/y", small), 0u);
}

} // namespace
} // namespace corvane
