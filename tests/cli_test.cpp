// Every check of the command line, in its order: the built tool in an empty
// directory, exact standard output, the exit status, nothing created.
#include <gtest/gtest.h>

#include "tests/harness.h"

namespace corvane::testing {
namespace {

const std::string type_error = "type error,please check the type, type should be bios or firmware "
                               "or uboot or hbainfo or hba or desc!\n";
const std::string size_error = "size error,please check the size, size<=0!\n";
const std::string family_error = "] wrong, should be 0x9xxx or 0x8xxx!\n";
const std::string listed_error = "] wrong, should be 0x9470 or 0x8640!\n";
const std::string unit_error = "] is not supported,it must be devided by 2048 bytes!\n";
const std::string internal; // the version check stops the tool: nothing more on standard output

TEST(CommandLine, ChecksInOrder)
{
    const struct {
        words args;
        bool echoed;
        std::string message;
    } cases[] = {
        {{}, false, "error: check cmd: example <Corvane -t bios -s 128 -v 1.0.0.2101 -i 8640> \n"},
        {{"-t", "bios", "-s", "128", "-v", "1.0.0.2101", "-i", "8640", "x"},
         false,
         "error: check cmd: example <Corvane -t bios -s 128 -v 1.0.0.2101 -i 8640> \n"},
        {{"-T", "bios"}, false, "cmd need option(type):-t\n"},
        {{"-t"}, false, type_error},
        {{"-t", "BIOS", "-s", "abc"}, false, type_error},
        {{"-t", "uboot", "-S"}, false, "cmd need option(size):-s \n"},
        {{"-t", "bios", "-s"}, false, size_error},
        {command_line("bios", "0", "1.0", "1"), false, size_error},
        {command_line("bios", "abc"), false, size_error},
        {{"-t", "hba", "-s", "128"}, false, "cmd need option(version):-v \n"},
        {{"-t", "hba", "-s", "128", "-v"},
         false,
         "error: version number needed, format: xx.xx.xx.xx \n"},
        {{"-t", "hba", "-s", "128", "-v", "x", "-j"}, false, "cmd need option(device_id):-i \n"},
        {{"-t", "desc", "-s", "128", "-v", "1.0", "-i"},
         false,
         "error: device id number [0x0" + family_error},
        {command_line("bios", "2", "1.0", "7999"), false,
         "error: device id number [0x7999" + family_error},
        {command_line("bios", "2", "1.0.0.2101", "8000"), true,
         "error: device id number [0x8000" + listed_error},
        {command_line("bios", "3", "1.0", "7180"), false,
         "error: device id number [0x7180" + family_error},
        {command_line("bios", "3", "1.0", "-8640"), false,
         "error: device id number [0x79c0" + family_error},
        {command_line("bios", "128", "1.0", "9999"), true, internal},
        {command_line("bios", "3", "", "8640"), true, internal},
        {command_line("bios", "3", "1.0.0.2101", "9999"), true,
         "error: device id number [0x9999" + listed_error},
        {command_line("bios", "3", "1.0.0.2101", "8640"), true, "input size [0xc00" + unit_error},
        {command_line("hbainfo", "1", "1.0.0.2101", "4294975936"), true,
         "input size [0x400" + unit_error},
    };
    const scratch_dir dir;
    for (const auto& c : cases) {
        const run_result r = run_tool(dir, c.args);
        const std::string start = c.echoed ? greeting_and_echo(c.args) : greeting();
        EXPECT_EQ(r.out, start + c.message) << ::testing::PrintToString(c.args);
        if (c.message == internal) {
            EXPECT_TRUE(r.err.starts_with(
                            "Assertion failed: (dot[3]-dot[2]-1)==4, file driver.cpp, line ") &&
                        r.err.ends_with("\n"))
                << r.err;
            EXPECT_EQ(r.status, 3);
        } else {
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(r.status, 2) << ::testing::PrintToString(c.args);
        }
    }
    EXPECT_TRUE(fs::is_empty(dir.work));
}

} // namespace
} // namespace corvane::testing
