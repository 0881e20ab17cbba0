#include "cli/internal_check.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "cli/exit_status.h"

namespace corvane {

void internal_check_failed(const char* expression, std::source_location where)
{
    std::string_view file = where.file_name();
    if (const auto slash = file.rfind('/'); slash != std::string_view::npos)
        file.remove_prefix(slash + 1);
    std::fflush(stdout);
    std::fprintf(stderr, "Assertion failed: %s, file %.*s, line %d\n", expression,
                 static_cast<int>(file.size()), file.data(), static_cast<int>(where.line()));
    std::exit(exit_internal_check);
}

} // namespace corvane
