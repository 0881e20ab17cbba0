// The command line end to end: the built tool in an empty directory, every
// check of the driver in its order, exact standard output and exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/run_tool.h"

namespace corvane::testing {
namespace {

using args_t = std::vector<std::string>;

const std::string usage =
    "error: check cmd: example <Corvane -t bios -s 128 -v 1.0.0.2101 -i 8640> \n";
const std::string need_t = "cmd need option(type):-t\n";
const std::string bad_type = "type error,please check the type, type should be bios or firmware "
                             "or uboot or hbainfo or hba or desc!\n";
const std::string need_s = "cmd need option(size):-s \n";
const std::string bad_size = "size error,please check the size, size<=0!\n";
const std::string need_v = "cmd need option(version):-v \n";
const std::string need_version = "error: version number needed, format: xx.xx.xx.xx \n";
const std::string need_i = "cmd need option(device_id):-i \n";

std::string bad_family(const char* id)
{
    return std::string("error: device id number [") + id + "] wrong, should be 0x9xxx or 0x8xxx!\n";
}

TEST(CommandLine, RefusedBeforeTheEcho)
{
    const struct {
        args_t args;
        std::string message;
    } cases[] = {
        {{}, usage},
        {{"-t", "bios", "-s", "128", "-v", "1.0.0.2101", "-i", "8640", "extra"}, usage},
        {{"-T", "bios"}, need_t},
        {{"--t", "bios"}, need_t},
        {{"-t"}, bad_type},
        {{"-t", "BIOS", "-s", "abc"}, bad_type},
        {{"-t", "bios.bin"}, bad_type},
        {{"-t", "bios"}, need_s},
        {{"-t", "uboot", "-S", "128"}, need_s},
        {{"-t", "bios", "-s"}, bad_size},
        {{"-t", "bios", "-s", "0"}, bad_size},
        {{"-t", "bios", "-s", "-4"}, bad_size},
        {{"-t", "bios", "-s", "abc", "-x"}, bad_size},
        {{"-t", "bios", "-s", "2147483648"}, bad_size},
        {{"-t", "hba", "-s", "128"}, need_v},
        {{"-t", "hba", "-s", "128", "-v"}, need_version},
        {{"-t", "hba", "-s", "128", "-v", "garbage"}, need_i},
        {{"-t", "desc", "-s", "128", "-v", "1.0", "-i"}, bad_family("0x0")},
        {command_line("bios", "128", "1.0.0.2101", "7180"), bad_family("0x7180")},
        {command_line("bios", "3", "1.0", "-8640"), bad_family("0x79c0")},
        {command_line("bios", "128", "1.0.0.2101", "86A0"), bad_family("0x86")},
    };
    scratch_dir dir;
    for (const auto& c : cases) {
        const run_result r = run_tool(dir.path(), c.args);
        EXPECT_EQ(r.out, greeting() + c.message) << ::testing::PrintToString(c.args);
        EXPECT_EQ(r.status, 2) << ::testing::PrintToString(c.args);
        EXPECT_EQ(r.err, "");
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(CommandLine, RefusedAfterTheEcho)
{
    const struct {
        args_t args;
        std::string message;
    } cases[] = {
        {command_line("bios", "128", "1.0.0.2101", "9999"),
         "error: device id number [0x9999] wrong, should be 0x9470 or 0x8640!\n"},
        {command_line("bios", "-1", "1.0.0.2101", "-1"), bad_size},
        {command_line("firmware", "3", "1.0.0.2101", "9999"),
         "error: device id number [0x9999] wrong, should be 0x9470 or 0x8640!\n"},
        {command_line("firmware", "3", "1.0.0.2101", "9470"),
         "input size [0xc00] is not supported,it must be devided by 2048 bytes!\n"},
        {command_line("hbainfo", "1", "1.0.0.2101", "4294975936"),
         "input size [0x400] is not supported,it must be devided by 2048 bytes!\n"},
    };
    scratch_dir dir;
    for (const auto& c : cases) {
        const run_result r = run_tool(dir.path(), c.args);
        const bool echoed = c.message != bad_size;
        EXPECT_EQ(r.out, (echoed ? greeting_and_echo(c.args) : greeting()) + c.message)
            << ::testing::PrintToString(c.args);
        EXPECT_EQ(r.status, 2) << ::testing::PrintToString(c.args);
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(CommandLine, MalformedVersionStopsWithAnInternalCheck)
{
    // The version is parsed before the device id is checked against the list.
    const args_t cases[] = {
        command_line("bios", "128", "1.0", "8640"),
        command_line("bios", "128", "", "8640"),
        command_line("bios", "128", "1.0.0.210", "9999"),
        command_line("bios", "3", "1.0.0.21012", "8640"),
    };
    scratch_dir dir;
    for (const auto& args : cases) {
        const run_result r = run_tool(dir.path(), args);
        EXPECT_EQ(r.out, greeting_and_echo(args)) << ::testing::PrintToString(args);
        EXPECT_TRUE(is_assertion(r.err, "(dot[3]-dot[2]-1)==4")) << r.err;
        EXPECT_EQ(r.status, 3);
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

} // namespace
} // namespace corvane::testing
