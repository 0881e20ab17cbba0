#pragma once

#include <cstddef>
#include <string_view>

namespace corvane {

// How the platform reads a path: where its last component starts, and whether it names a file
// from the root rather than from the current folder.

// After its last separator: '/', and '\\' on Windows.
[[nodiscard]] std::size_t base_name_at(std::string_view path) noexcept;

// POSIX: it starts with '/'; "x:name" and "\\x" are relative names like any other there. Windows:
// it starts with a separator (a UNC path, or one from the drive's root) or a drive letter and ':'.
[[nodiscard]] bool is_absolute_path(std::string_view path) noexcept;

} // namespace corvane
