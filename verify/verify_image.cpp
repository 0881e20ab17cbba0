#include "verify/verify_image.h"

#include "image/image_kinds.h"
#include "image/image_rules.h"

namespace corvane {

namespace {

// The signature's eight bytes as one number, the first byte most
// significant, so that it prints in file order.
std::uint64_t signature_bytes(const image_header& header) noexcept
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < image_signature.size(); ++i)
        value = value << 8 | header.bytes[header_field::signature + i];
    return value;
}

constexpr std::uint64_t wanted_signature = [] {
    std::uint64_t value = 0;
    for (const char c : image_signature)
        value = value << 8 | static_cast<std::uint8_t>(c);
    return value;
}();

} // namespace

image_verdict verify_image(std::uint64_t length, const image_header* header,
                           std::uint32_t computed_crc) noexcept
{
    image_verdict verdict;
    const auto fail = [&verdict](image_check check, std::uint64_t found, std::uint64_t expected) {
        verdict.failed[verdict.count++] = {check, found, expected};
    };

    if (length < header_distance_from_end)
        fail(image_check::min_length, length, header_distance_from_end);
    if (!image_size_supported(length))
        fail(image_check::length_unit, length, image_size_unit);
    if (header == nullptr)
        return verdict;

    if (!has_signature(*header)) {
        fail(image_check::signature, signature_bytes(*header), wanted_signature);
        return verdict;
    }
    if (kind_of_type_code(header_type(*header)) == nullptr)
        fail(image_check::type_code, header_type(*header), 0);
    if (header_size(*header) != length)
        fail(image_check::size_field, header_size(*header), length);
    if (!device_id_accepted(header_device_id(*header)))
        fail(image_check::device_id, header_device_id(*header), 0);
    if (header_crc(*header) != computed_crc)
        fail(image_check::checksum, header_crc(*header), computed_crc);
    return verdict;
}

} // namespace corvane
