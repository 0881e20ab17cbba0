#include "io/path_names.h"

#include <array>
#include <cstring>

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

namespace {

bool is_separator(char c) noexcept { return separators.find(c) != std::string_view::npos; }

// A path's root (POSIX: "/"; Windows: "/", "X:/" or the "//server/share/" of a UNC path, as
// written) and its components after it.
class path_parts {
public:
    static constexpr std::size_t most = 4096;

    // False where it has more components than fit.
    bool split(std::string_view path) noexcept
    {
        std::size_t at = 0;
#if defined(_WIN32)
        if (path.size() > 1 && path[1] == ':')
            at = 2;
        else if (path.size() > 1 && is_separator(path[0]) && is_separator(path[1]))
            for (int part = 0; part < 2 && at < path.size(); ++part) { // //server/share
                while (at < path.size() && is_separator(path[at]))
                    ++at;
                while (at < path.size() && !is_separator(path[at]))
                    ++at;
            }
#endif
        root_ = path.substr(0, at);
        count_ = 0;
        while (at < path.size()) {
            while (at < path.size() && is_separator(path[at]))
                ++at;
            std::size_t end = at;
            while (end < path.size() && !is_separator(path[end]))
                ++end;
            const std::string_view part = path.substr(at, end - at);
            at = end;
            if (part.empty() || part == ".")
                continue;
            if (part == "..") {
                if (count_ > 0)
                    --count_;
                continue;
            }
            if (count_ == parts_.size())
                return false;
            parts_[count_++] = part;
        }
        return true;
    }
    [[nodiscard]] std::string_view root() const noexcept { return root_; }
    [[nodiscard]] std::size_t count() const noexcept { return count_; }
    [[nodiscard]] std::string_view operator[](std::size_t i) const noexcept { return parts_[i]; }

private:
    std::string_view root_;
    std::array<std::string_view, most / 2> parts_{};
    std::size_t count_ = 0;
};

bool same_name(std::string_view a, std::string_view b) noexcept
{
#if defined(_WIN32)
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(is_separator(a[i]) ? '/' : a[i]) != lower(is_separator(b[i]) ? '/' : b[i]))
            return false;
    return true;
#else
    return a == b;
#endif
}

// Appends to `into` at `length`, false where it does not fit.
bool append(std::span<char> into, std::size_t& length, std::string_view text) noexcept
{
    if (text.size() > into.size() - length)
        return false;
    std::memcpy(into.data() + length, text.data(), text.size());
    length += text.size();
    return true;
}

// The root as written '/' for its separators.
bool append_root(std::span<char> into, std::size_t& length, std::string_view root) noexcept
{
    for (const char c : root)
        if (!append(into, length,
                    is_separator(c) ? std::string_view("/") : std::string_view(&c, 1)))
            return false;
    return true;
}

} // namespace

std::size_t absolute_path(std::string_view folder, std::string_view path,
                          std::span<char> into) noexcept
{
    // Both joined, then taken apart once: a ".." of the path may climb out of the folder.
    std::array<char, 2 * path_parts::most + 2> joined;
    std::size_t length = 0;
    if (!is_absolute_path(path) &&
        (!append(joined, length, folder) || !append(joined, length, "/")))
        return 0;
#if defined(_WIN32)
    // "\name" is from the root of the folder's drive.
    if (is_absolute_path(path) && is_separator(path.front()) &&
        !(path.size() > 1 && is_separator(path[1])) && folder.size() > 1 && folder[1] == ':')
        if (!append(joined, length, folder.substr(0, 2)))
            return 0;
#endif
    if (!append(joined, length, path))
        return 0;
    path_parts parts;
    if (!parts.split({joined.data(), length}))
        return 0;
    std::size_t written = 0;
    if (!append_root(into, written, parts.root()) || !append(into, written, "/"))
        return 0;
    for (std::size_t i = 0; i < parts.count(); ++i)
        if ((i > 0 && !append(into, written, "/")) || !append(into, written, parts[i]))
            return 0;
    return written;
}

std::size_t relative_path(std::string_view folder, std::string_view path,
                          std::span<char> into) noexcept
{
    path_parts from, to;
    std::size_t written = 0;
    if (!from.split(folder) || !to.split(path))
        return 0;
    if (!same_name(from.root(), to.root()))
        return append(into, written, path) ? written : 0;
    std::size_t common = 0;
    while (common < from.count() && common < to.count() && same_name(from[common], to[common]))
        ++common;
    for (std::size_t i = common; i < from.count(); ++i)
        if (!append(into, written, "../"))
            return 0;
    for (std::size_t i = common; i < to.count(); ++i)
        if ((i > common && !append(into, written, "/")) || !append(into, written, to[i]))
            return 0;
    if (written == 0 && !append(into, written, "."))
        return 0;
    return written;
}

} // namespace corvane
