#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace corvane {

// How the platform reads a path: where its last component starts, and whether it names a file
// from the root rather than from the current folder.

// After its last separator: '/', and '\\' on Windows.
[[nodiscard]] std::size_t base_name_at(std::string_view path) noexcept;

// POSIX: it starts with '/'; "x:name" and "\\x" are relative names like any other there. Windows:
// it starts with a separator (a UNC path, or one from the drive's root) or a drive letter and ':'.
[[nodiscard]] bool is_absolute_path(std::string_view path) noexcept;

// The process's current folder, from the root, in `into` (no NUL after it): its length, or 0
// where the system cannot say it or it does not fit.
[[nodiscard]] std::size_t current_folder(std::span<char> into) noexcept;

// `path` from the root, in `into` (no NUL after it): a relative path is taken from `folder` (from
// the root itself), and "." components, ".." components and doubled separators are taken out by
// their names alone, no link being followed, the way a build system compares paths. Its length,
// or 0 where it does not fit. Separators are written '/'.
[[nodiscard]] std::size_t absolute_path(std::string_view folder, std::string_view path,
                                        std::span<char> into) noexcept;

// `path` as named from `folder`, both from the root as absolute_path gives them: "name",
// "../sub/name"; `path` itself where no relative name leads there (another drive on Windows). Its
// length in `into`, or 0 where it does not fit.
[[nodiscard]] std::size_t relative_path(std::string_view folder, std::string_view path,
                                        std::span<char> into) noexcept;

} // namespace corvane
