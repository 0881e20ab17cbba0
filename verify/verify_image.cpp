#include "verify/verify_image.h"

#include <algorithm>

#include "image/device_ids.h"
#include "image/image_kinds.h"
#include "image/image_layout.h"

namespace corvane {

namespace {

signature_bytes signature_of(std::string_view text) noexcept
{
    signature_bytes bytes{};
    std::copy_n(text.begin(), bytes.size(), bytes.begin());
    return bytes;
}

// The checks of the length and the header, in their order.
image_verdict judge_header(std::uint64_t length, const image_header* header,
                           std::uint32_t computed_crc, const expected_image& expected)
{
    image_verdict verdict;
    const auto fail = [&verdict](image_check check, check_value found, check_value wanted) {
        verdict.failed.push_back({check, found, wanted});
    };
    const auto number = [](std::uint64_t value) { return check_value{value}; };

    // A length in the unit of the kind the header names, where it names one.
    const image_kind* kind = header != nullptr && has_signature(*header)
                                 ? kind_of_type_code(header_type(*header))
                                 : nullptr;
    if (!layout_of(length).holds_header())
        fail(image_check::min_length, number(length), number(header_distance_from_end));
    if (!whole_units(length, size_unit_of(kind)))
        fail(image_check::length_unit, number(length), number(size_unit_of(kind)));
    if (header == nullptr)
        return verdict;

    if (!has_signature(*header)) {
        signature_bytes found{};
        std::copy_n(header->bytes.begin() + header_field::signature, found.size(), found.begin());
        fail(image_check::signature, found, signature_of(image_signature));
        return verdict;
    }
    const std::uint8_t type = header_type(*header);
    const std::uint32_t size = header_size(*header);
    const std::uint16_t device_id = header_device_id(*header);
    if (kind == nullptr)
        fail(image_check::type_code, number(type), {});
    if (size != length)
        fail(image_check::size_field, number(size), number(length));
    if (!device_id_accepted(device_id))
        fail(image_check::device_id, number(device_id), {});
    if (header_crc(*header) != computed_crc)
        fail(image_check::checksum, number(header_crc(*header)), number(computed_crc));
    if (expected.type_code && type != *expected.type_code)
        fail(image_check::expected_kind, number(type), number(*expected.type_code));
    if (expected.size && size != *expected.size)
        fail(image_check::expected_size, number(size), number(*expected.size));
    if (expected.version && header_version(*header) != *expected.version)
        fail(image_check::expected_version, header_version(*header), *expected.version);
    if (expected.device_id && device_id != *expected.device_id)
        fail(image_check::expected_device_id, number(device_id), number(*expected.device_id));
    return verdict;
}

} // namespace

image_verdict verify_image(std::uint64_t length, const image_header* header,
                           std::uint32_t computed_crc, const expected_image& expected,
                           const digest_bytes* computed_digest)
{
    image_verdict verdict = judge_header(length, header, computed_crc, expected);
    if (expected.sha256 && computed_digest != nullptr && *computed_digest != *expected.sha256)
        verdict.failed.push_back(
            {image_check::expected_digest, *computed_digest, *expected.sha256});
    return verdict;
}

} // namespace corvane
