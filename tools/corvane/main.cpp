#include <cstddef>

#include "io/entry.h"
#include "io/standard_streams.h"
#include "tools/corvane/command_line.h"
#include "tools/corvane/exit_status.h"

int run_tool(int argc, char* argv[])
{
    if (!corvane::prepare_standard_streams("corvane"))
        return corvane::exit_stamp_failed;
    return corvane::run_corvane({argv, static_cast<std::size_t>(argc)});
}
