// Shared by the tests: scratch directories, runs of the built tool, file
// contents, and zlib's CRC-32 as an independent oracle for the checksum.
#pragma once

#include <sys/stat.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "tools/version.h"

namespace corvane::testing {

namespace fs = std::filesystem;
using bytes = std::vector<unsigned char>;
using words = std::vector<std::string>;

inline bytes read_file(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_file(const fs::path& file, const bytes& content)
{
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(content.data()), std::ssize(content));
}

inline bytes counting(std::size_t size) // byte i holds i mod 256
{
    bytes b(size);
    for (std::size_t i = 0; i < size; ++i)
        b[i] = static_cast<unsigned char>(i);
    return b;
}

// The checksum word from zlib's CRC-32 of the covered bytes: complemented, byte-reversed.
inline std::uint32_t oracle_word(uLong zlib_crc)
{
    const auto r = static_cast<std::uint32_t>(~zlib_crc);
    return r >> 24 | (r >> 8 & 0xFF00u) | (r << 8 & 0xFF0000u) | r << 24;
}
inline std::uint32_t oracle_word(const bytes& image) // covers all but the last 12 bytes
{
    return oracle_word(
        crc32(0L, image.data(), static_cast<uInt>(image.size() > 12 ? image.size() - 12 : 0)));
}

// A fresh directory, removed at the end: the tool runs in `work`, its output lands beside it.
struct scratch_dir {
    fs::path root, work;
    scratch_dir()
    {
        std::string name = (fs::temp_directory_path() / "corvane-XXXXXX").string();
        root = mkdtemp(name.data());
        chmod(root.c_str(), 0755); // reachable by the unprivileged runs
        fs::create_directory(work = root / "work");
    }
    ~scratch_dir() { fs::remove_all(root); }
};

struct run_result {
    int status;
    std::string out, err;
};

inline words command_line(std::string kind, std::string size_kb, std::string version = "1.0.0.2101",
                          std::string device_id = "8640")
{
    return {"-t", kind, "-s", size_kb, "-v", version, "-i", device_id};
}

// Tests run as root in CI, where file modes do not bind: `as_nobody` runs the
// tool as user nobody, from a copy the build folder cannot keep from it.
inline const std::string as_nobody = "setpriv --reuid=65534 --regid=65534 --clear-groups ";

// Runs `binary` in dir.work with a shell, after `prefix` (a command that runs it) and the wrapper
// named by CORVANE_TEST_WRAPPER, if set (valgrind, say); `redirect`, a shell redirection such as
// ">&-", replaces the capture of standard output.
inline run_result run_program(fs::path binary, const scratch_dir& dir, const words& args,
                              const std::string& prefix = "", const std::string& redirect = "")
{
    std::string command;
    const auto put = [&command](std::string_view before, const fs::path& word) {
        command.append(before).append("'");
        for (const char c : word.string())
            command.append(c == '\'' ? "'\\''" : std::string(1, c));
        command.append("'");
    };
    if (!prefix.empty() && fs::copy_file(binary, dir.root / binary.filename()))
        binary = dir.root / binary.filename();
    const char* wrapper = std::getenv("CORVANE_TEST_WRAPPER");
    put("cd ", dir.work);
    put(" && " + prefix + (wrapper ? wrapper : "") + " ", binary);
    for (const auto& a : args)
        put(" ", a);
    if (redirect.empty())
        put(" >", dir.root / "out");
    else
        command.append(" ").append(redirect);
    put(" 2>", dir.root / "err");
    const int status = std::system(command.c_str());
    const bytes o = redirect.empty() ? read_file(dir.root / "out") : bytes{};
    const bytes e = read_file(dir.root / "err");
    return {
        WIFEXITED(status) ? WEXITSTATUS(status) : -1, {o.begin(), o.end()}, {e.begin(), e.end()}};
}

inline run_result run_tool(const scratch_dir& dir, const words& args,
                           const std::string& prefix = "", const std::string& redirect = "")
{
    return run_program(CORVANE_BINARY, dir, args, prefix, redirect);
}

inline std::string greeting() { return std::string("Hello Corvane ") + tool_version_text + "\n"; }

inline std::string greeting_and_echo(const words& args)
{
    std::string text = greeting() + "argv[0]:" + CORVANE_BINARY + "\n";
    for (std::size_t i = 0; i < args.size(); ++i)
        text += "argv[" + std::to_string(i + 1) + "]:" + args[i] + "\n";
    return text;
}

} // namespace corvane::testing
