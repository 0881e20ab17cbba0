#include "report/internal_check.h"

#include <cstdio>

#include "io/output.h"

namespace corvane {

void print_internal_check(const report_streams& streams, const internal_check& check) noexcept
{
    if (streams.out != nullptr)
        std::fflush(streams.out);
    print(streams.err_or_out(), "Assertion failed: %s, file driver.cpp, line %d\n",
          check.expression, check.line);
}

} // namespace corvane
