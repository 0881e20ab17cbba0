#include <cstddef>

#include "io/entry.h"
#include "io/standard_streams.h"
#include "tools/corvane/driver.h"

int run_tool(int argc, char* argv[])
{
    corvane::prepare_standard_streams();
    return corvane::run_corvane({argv, static_cast<std::size_t>(argc)});
}
