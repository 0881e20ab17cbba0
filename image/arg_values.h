#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "image/image_header.h"

namespace corvane {

// Conversions of the size, version and device-id words into header fields,
// shared by corvane and corvane-verify so that both read a word alike. Each is
// a pure function of its text and prints nothing; the tools own the messages
// and the order in which the rules are checked, and the rules themselves
// belong to the image format (image/device_ids.h).

// Decimal text as the C library's atoi reads it: leading white space, an
// optional sign, digits up to the first non-digit, 0 without digits. Digits
// accumulate in 32-bit two's complement and wrap silently, so 4294975936 reads
// as 8640; build scripts rely on that reading staying the same.
[[nodiscard]] std::int32_t decimal_value(std::string_view text) noexcept;

// The size value (KB) must be 1 or more.
[[nodiscard]] bool size_value_ok(std::int32_t size_kb) noexcept;

// size_kb * 1024 modulo 2^32: a multiple of 4194304 KB gives 0.
[[nodiscard]] std::uint32_t image_size_from_kb(std::int32_t size_kb) noexcept;

// Reads a version text of the form a.b.c.dddd into major, minor, oem, beta,
// alpha. Returns nothing when exactly four digits do not follow the third dot;
// every other text gives some version (see the definition for the quirks).
[[nodiscard]] std::optional<image_version> parse_version_text(std::string_view text) noexcept;

// The decimal digits the user types are read as hexadecimal digits: 8640
// gives 0x8640. Only the last four digits count; a negative value gives the
// 16-bit two's complement of the result for its magnitude.
[[nodiscard]] std::uint16_t device_id_from_digits(std::string_view text) noexcept;

} // namespace corvane
