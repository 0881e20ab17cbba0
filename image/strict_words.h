#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "image/image_header.h"
#include "image/image_kinds.h"

namespace corvane {

// The words of corvane-stamp's command line, read strictly: a word is taken only when it is
// exactly in its form, so that a slip is refused rather than stamped as something else. (corvane
// itself reads its words as it always has, in arg_values.h.)

// A size in KB: decimal digits only, a whole number of `unit` bytes, from one unit up to what the
// header's 32-bit size field holds. The size in bytes, or nothing.
[[nodiscard]] std::optional<std::uint32_t> strict_image_size(std::string_view kb,
                                                             std::uint32_t unit) noexcept;

// A version text in the strict form of image/image_rules.txt, a.b.c.dddd: major, minor and oem,
// then beta and alpha as two digits each.
[[nodiscard]] std::optional<image_version> strict_version(std::string_view text) noexcept;

// A device id as its hexadecimal digits (8640), with or without 0x, on the accepted list.
[[nodiscard]] std::optional<std::uint16_t> strict_device_id(std::string_view text) noexcept;

// The words of -t, -s, -v and -i as they were read.
struct strict_values {
    const image_kind* kind = nullptr;
    std::optional<std::uint32_t> size; // in bytes
    image_version version{};
    std::uint16_t device_id = 0;
};

// Reads the word of -t, -s, -v or (any other option) -i by the functions above into `values`, the
// size in the unit of `values.kind` (the default unit where no kind was read before it). The
// rule the word breaks comes back, as a refusal states it after the word ("not a kind (...)"),
// with what corvane, which reads its words as it always has, stamps for it where it stamps
// anything ("; corvane stamps 0x8640 for it"); or nothing where it is taken. Every reader of these
// words (both tools' command lines, corvane-verify's manifest) holds them to this one.
[[nodiscard]] std::string read_strict_word(char option, std::string_view word,
                                           strict_values& values);
// The long name a refusal gives the option: "--kind", "--size", "--image-version", "--device-id".
[[nodiscard]] const char* strict_option_name(char option) noexcept;

} // namespace corvane
