#include <cstddef>

#include "cli/driver.h"

int main(int argc, char* argv[])
{
    const int status = corvane::run_corvane({argv, static_cast<std::size_t>(argc)});
    return corvane::finish_output(status);
}
