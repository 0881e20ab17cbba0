#include <cstddef>

#include "io/standard_streams.h"
#include "tools/corvane/driver.h"

int main(int argc, char* argv[])
{
    corvane::prepare_standard_streams();
    return corvane::run_corvane({argv, static_cast<std::size_t>(argc)});
}
