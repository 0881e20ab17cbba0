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

std::uint64_t version_number(const image_version& version) noexcept
{
    std::uint64_t number = 0;
    for (const std::uint8_t byte : version)
        number = number << 8 | byte;
    return number;
}

image_version version_of_number(std::uint64_t number) noexcept
{
    image_version version{};
    for (std::size_t i = version.size(); i-- > 0; number >>= 8)
        version[i] = static_cast<std::uint8_t>(number);
    return version;
}

image_verdict verify_image(std::uint64_t length, const image_header* header,
                           std::uint32_t computed_crc, const expected_image& expected) noexcept
{
    image_verdict verdict;
    const auto fail = [&verdict](image_check check, std::uint64_t found, std::uint64_t wanted) {
        verdict.failed[verdict.count++] = {check, found, wanted};
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
    if (expected.type_code && header_type(*header) != *expected.type_code)
        fail(image_check::expected_kind, header_type(*header), *expected.type_code);
    if (expected.size && header_size(*header) != *expected.size)
        fail(image_check::expected_size, header_size(*header), *expected.size);
    if (expected.version && header_version(*header) != *expected.version)
        fail(image_check::expected_version, version_number(header_version(*header)),
             version_number(*expected.version));
    if (expected.device_id && header_device_id(*header) != *expected.device_id)
        fail(image_check::expected_device_id, header_device_id(*header), *expected.device_id);
    return verdict;
}

} // namespace corvane
