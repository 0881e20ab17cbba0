#include "io/path_names.h"

namespace corvane {

#if defined(_WIN32)
constexpr std::string_view separators = "/\\";
#else
constexpr std::string_view separators = "/";
#endif

std::size_t base_name_at(std::string_view path) noexcept
{
    const std::size_t slash = path.find_last_of(separators);
    return slash == std::string_view::npos ? 0 : slash + 1;
}

bool is_absolute_path(std::string_view path) noexcept
{
    if (!path.empty() && separators.find(path.front()) != std::string_view::npos)
        return true;
#if defined(_WIN32)
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    return path.size() > 1 && letter(path[0]) && path[1] == ':';
#else
    return false;
#endif
}

} // namespace corvane
