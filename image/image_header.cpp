#include "image/image_header.h"

#include <algorithm>

#include "image/little_endian.h"

namespace corvane {

bool has_signature(const image_header& header) noexcept
{
    return std::equal(image_signature.begin(), image_signature.end(),
                      header.bytes.begin() + header_field::signature);
}

bool header_replaces_data(std::span<const std::uint8_t> under) noexcept
{
    const auto all = [under](std::uint8_t value) {
        return std::all_of(under.begin(), under.end(),
                           [value](std::uint8_t b) { return b == value; });
    };
    return !all(0xFF) && !all(0x00);
}

void build_image_header(image_header& header, std::uint8_t type, const image_version& version,
                        std::uint32_t image_size, std::uint16_t device_id) noexcept
{
    std::copy(image_signature.begin(), image_signature.end(),
              header.bytes.begin() + header_field::signature);
    header.bytes[header_field::type] = type;
    std::copy(version.begin(), version.end(), header.bytes.begin() + header_field::version);
    store_le32(&header.bytes[header_field::size], image_size);
    store_le16(&header.bytes[header_field::device_id], device_id);
    set_header_crc(header, 0);
}

void set_header_crc(image_header& header, std::uint32_t crc) noexcept
{
    store_le32(&header.bytes[header_field::crc], crc);
}

std::uint8_t header_type(const image_header& header) noexcept
{
    return header.bytes[header_field::type];
}

image_version header_version(const image_header& header) noexcept
{
    image_version version{};
    std::copy_n(header.bytes.begin() + header_field::version, version.size(), version.begin());
    return version;
}

std::uint32_t header_size(const image_header& header) noexcept
{
    return load_le32(&header.bytes[header_field::size]);
}

std::uint16_t header_device_id(const image_header& header) noexcept
{
    return load_le16(&header.bytes[header_field::device_id]);
}

std::uint32_t header_crc(const image_header& header) noexcept
{
    return load_le32(&header.bytes[header_field::crc]);
}

} // namespace corvane
