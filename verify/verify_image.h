#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <variant>
#include <vector>

#include "image/image_header.h"

namespace corvane {

// The checks a stamped image must pass, each with what it found and what it
// expected, so that a report can say both.
enum class image_check {
    min_length,  // found: the length; expected: room for the header and the tail after it
    length_unit, // found: the length; expected: the size unit
    signature,   // found: the 8 bytes there; expected: the signature's
    type_code,   // found: the type code; expected: nothing, no kind has it
    size_field,  // found: the size field; expected: the file's length
    device_id,   // found: the device id; expected: nothing, it is not on the accepted list
    checksum,    // found: the CRC field; expected: the checksum computed over the file
    // What the caller expects, from the words that stamped the image:
    expected_kind,      // found: the type code; expected: the expected kind's
    expected_size,      // found: the size field; expected: the expected size
    expected_version,   // found, expected: the versions
    expected_device_id, // found: the device id; expected: the expected one
    expected_digest,    // found: the file's SHA-256; expected: the one a manifest gives
    count,              // how many checks there are; every table of them has this many rows
};
inline constexpr std::size_t image_check_count = static_cast<std::size_t>(image_check::count);

using digest_bytes = std::array<std::uint8_t, 32>;

// What the caller expects an image to be; what is not given is not checked.
struct expected_image {
    std::optional<std::uint8_t> type_code;
    std::optional<std::uint32_t> size;
    std::optional<image_version> version;
    std::optional<std::uint16_t> device_id;
    std::optional<digest_bytes> sha256{}; // of the whole file
};

using signature_bytes = std::array<std::uint8_t, 8>;

// A value a check found or expected, in its own type: a number (a length, a type code, a size, a
// device id or a CRC), the eight bytes where the signature should be, a version; or nothing,
// where what was expected is a list the report names.
using check_value =
    std::variant<std::monostate, std::uint64_t, signature_bytes, image_version, digest_bytes>;

struct failed_check {
    image_check check;
    check_value found;
    check_value expected;

    friend bool operator==(const failed_check&, const failed_check&) = default;
};

// The failed checks of one image, in the order above; none for a valid image.
struct image_verdict {
    std::vector<failed_check> failed; // each check fails at most once

    [[nodiscard]] bool valid() const noexcept { return failed.empty(); }
    [[nodiscard]] std::span<const failed_check> failures() const noexcept { return failed; }
};

// Judges an image from its length, the header bytes where its layout puts them (null when the
// file is too short to have them), the checksum computed over the file and
// what the caller expects, with the file's SHA-256 where a digest is expected.
// Without the signature the bytes there are no header, so none of its fields
// is judged; the digest is judged whatever the file holds. Pure: reads nothing
// but its arguments.
[[nodiscard]] image_verdict verify_image(std::uint64_t length, const image_header* header,
                                         std::uint32_t computed_crc,
                                         const expected_image& expected = {},
                                         const digest_bytes* computed_digest = nullptr);

} // namespace corvane
