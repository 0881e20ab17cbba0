#include <cstddef>

#include "cli/driver.h"
#include "cli/standard_streams.h"

int main(int argc, char* argv[])
{
    corvane::make_standard_streams_valid();
    const int status = corvane::run_corvane({argv, static_cast<std::size_t>(argc)});
    return corvane::finish_output(status);
}
