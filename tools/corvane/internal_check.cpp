#include "tools/corvane/internal_check.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "tools/corvane/exit_status.h"

namespace corvane {

void internal_check_failed(const char* expression, const char* file, int line)
{
    // The base name only: the message should not depend on where the tool was built.
    std::string_view name = file;
    if (const auto slash = name.rfind('/'); slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    std::fflush(stdout);
    std::fprintf(stderr, "Assertion failed: %s, file %.*s, line %d\n", expression,
                 static_cast<int>(name.size()), name.data(), line);
    std::exit(exit_internal_check);
}

} // namespace corvane
