#pragma once

#include <cstdint>
#include <optional>

#include "image/image_header.h"
#include "image/image_kinds.h"
#include "image/rule_values.h"

namespace corvane {

// Where everything stands in an image of a given size, worked out once from the rules
// (image/image_rules.txt) and the header record; every sequence, pass and check takes its offsets
// from here.
//
//   0 ............ header_at ......... tail_at ........ size
//   | input, 0xFF  | header, CRC field  | tail: after the |
//   |   padding    | last               | header          |
//   '--- covered by the CRC --------.....'
//
// The CRC covers every byte before the header's CRC field; the field and the tail after the
// header are not covered, so storing the CRC leaves it valid.
inline constexpr std::uint64_t header_distance_from_end = rule_values::header_distance;
static_assert(header_distance_from_end >= image_header_size);
inline constexpr std::uint64_t crc_uncovered_tail = header_distance_from_end - header_field::crc;

struct image_layout {
    std::uint64_t size = 0;      // the image's length
    std::uint64_t header_at = 0; // the header's first byte; 0 where the image holds no header
    std::uint64_t tail_at = 0;   // the first byte after the header
    std::uint64_t covered = 0;   // the CRC covers the bytes before this one

    // Whether an image of this size has room for its header (and the tail after it).
    [[nodiscard]] constexpr bool holds_header() const noexcept
    {
        return size >= header_distance_from_end;
    }
    // The bytes of input an image holds before its header.
    [[nodiscard]] constexpr std::uint64_t room() const noexcept { return header_at; }
};

[[nodiscard]] constexpr image_layout layout_of(std::uint64_t size) noexcept
{
    const bool holds = size >= header_distance_from_end;
    const std::uint64_t header_at = holds ? size - header_distance_from_end : 0;
    return {size, header_at, holds ? header_at + image_header_size : 0,
            size > crc_uncovered_tail ? size - crc_uncovered_tail : 0};
}

// Sizes: an image is a whole number of its kind's size unit (the default unit of the rules where
// the kind is not known), and its size field holds 32 bits.
inline constexpr std::uint32_t default_size_unit = rule_values::size_unit;

[[nodiscard]] constexpr std::uint32_t size_unit_of(const image_kind* kind) noexcept
{
    return kind != nullptr ? kind->size_unit : default_size_unit;
}
[[nodiscard]] constexpr bool whole_units(std::uint64_t size, std::uint32_t unit) noexcept
{
    return size % unit == 0;
}
// The largest image of that unit the size field holds.
[[nodiscard]] constexpr std::uint64_t largest_image_size(std::uint32_t unit) noexcept
{
    return 0xFFFF'FFFFu / unit * unit;
}
// The smallest image of that unit that holds `length` bytes of input before its header, or nothing
// where the size field cannot hold it.
[[nodiscard]] constexpr std::optional<std::uint32_t>
smallest_image_size(std::uint64_t length, std::uint32_t unit) noexcept
{
    if (length > largest_image_size(unit))
        return std::nullopt;
    const std::uint64_t needed = length + header_distance_from_end;
    const std::uint64_t size = (needed + unit - 1) / unit * unit;
    if (size > largest_image_size(unit))
        return std::nullopt;
    return static_cast<std::uint32_t>(size);
}

} // namespace corvane
