#pragma once

#include <cstddef>
#include <cstdio>
#include <span>
#include <string_view>

namespace corvane {

// What each platform gives the portable parts of io/.

// Descriptors 0, 1 and 2 valid, writes that fail rather than end the process, binary streams;
// false where the streams cannot be made so.
[[nodiscard]] bool set_streams_up() noexcept;

// Writes text to a stream that is a console in the console's own characters, so that names show
// right whatever its code page, and returns how much of it was written; 0 for any other stream,
// which gets the bytes as they are.
[[nodiscard]] std::size_t write_console(std::FILE* stream, std::string_view text) noexcept;

// The system's own words for one of its error codes.
[[nodiscard]] std::string_view system_message(int code, std::span<char> buffer) noexcept;

} // namespace corvane
