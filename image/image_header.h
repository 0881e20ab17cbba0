#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace corvane {

// major, minor, oem, beta, alpha
using image_version = std::array<std::uint8_t, 5>;

// The header every stamped image carries near its end (image/image_layout.h says where). The
// record holds the bytes exactly as they stand in the file; fields are read and written at their
// offsets, never through a struct laid over the bytes.
namespace header_field {
inline constexpr std::size_t signature = 0;  // 8 ASCII bytes, no terminating zero
inline constexpr std::size_t type = 8;       // image type code
inline constexpr std::size_t version = 9;    // five version bytes
inline constexpr std::size_t size = 14;      // image size in bytes, LE32, unaligned
inline constexpr std::size_t device_id = 18; // LE16
inline constexpr std::size_t reserved = 20;  // 40 zero bytes
inline constexpr std::size_t crc = 60;       // checksum word, LE32
} // namespace header_field

static_assert(header_field::type == header_field::signature + 8);
static_assert(header_field::version == header_field::type + 1);
static_assert(header_field::size == header_field::version + std::tuple_size_v<image_version>);
static_assert(header_field::device_id == header_field::size + 4);
static_assert(header_field::reserved == header_field::device_id + 2);
static_assert(header_field::crc == header_field::reserved + 40);

// The header ends with its CRC field.
inline constexpr std::size_t image_header_size = header_field::crc + 4;

struct image_header {
    std::array<std::uint8_t, image_header_size> bytes{};
};

// Fills a record the caller has cleared: signature, type, version, size and
// device id at their offsets, CRC 0, everything else left zero.
void build_image_header(image_header& header, std::uint8_t type, const image_version& version,
                        std::uint32_t image_size, std::uint16_t device_id) noexcept;

// The eight bytes every header starts with.
inline constexpr std::string_view image_signature = "ZT_FLASH";
static_assert(image_signature.size() == header_field::type - header_field::signature);

// True when the first eight bytes are exactly the signature; nothing else of
// the record is examined.
[[nodiscard]] bool has_signature(const image_header& header) noexcept;

// Whether the input bytes a header is about to be written over hold data of
// the input, which the header replaces: not when they are erased flash (all
// 0xFF) or zeros, nor when there are none. Bytes that start with the signature
// are data too: a header is only ever found there in a file of the image size.
[[nodiscard]] bool header_replaces_data(std::span<const std::uint8_t> under) noexcept;

void set_header_crc(image_header& header, std::uint32_t crc) noexcept;

// The fields, read from their offsets.
[[nodiscard]] std::uint8_t header_type(const image_header& header) noexcept;
[[nodiscard]] image_version header_version(const image_header& header) noexcept;
[[nodiscard]] std::uint32_t header_size(const image_header& header) noexcept;
[[nodiscard]] std::uint16_t header_device_id(const image_header& header) noexcept;
[[nodiscard]] std::uint32_t header_crc(const image_header& header) noexcept;

} // namespace corvane
