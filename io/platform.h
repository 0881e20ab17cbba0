#pragma once

#include <span>
#include <string_view>

namespace corvane {

// What each platform gives the portable parts of io/.

// Descriptors 0, 1 and 2 valid, writes that fail rather than end the process, binary streams;
// false where the streams cannot be made so.
[[nodiscard]] bool set_streams_up() noexcept;

// The system's own words for one of its error codes.
[[nodiscard]] std::string_view system_message(int code, std::span<char> buffer) noexcept;

} // namespace corvane
