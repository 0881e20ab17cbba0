#include "tools/corvane/internal_check.h"

#include <cstdio>
#include <cstdlib>

#include "io/output.h"
#include "io/standard_streams.h"
#include "tools/corvane/exit_status.h"

namespace corvane {

void internal_check_failed(const internal_check& check)
{
    release_standard_streams(0);
    std::fflush(stdout);
    print(stderr, "Assertion failed: %s, file driver.cpp, line %d\n", check.expression, check.line);
    std::exit(exit_internal_check);
}

} // namespace corvane
