#include "image/image_header.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "image/little_endian.h"

namespace corvane {

namespace {
constexpr std::string_view signature_text = "ZT_FLASH";
static_assert(signature_text.size() == header_field::type - header_field::signature);
} // namespace

void put_signature(image_header& header) noexcept
{
    std::copy(signature_text.begin(), signature_text.end(),
              header.bytes.begin() + header_field::signature);
}

bool has_signature(const image_header& header) noexcept
{
    return std::equal(signature_text.begin(), signature_text.end(),
                      header.bytes.begin() + header_field::signature);
}

void build_image_header(image_header& header, std::uint8_t type, const image_version& version,
                        std::uint32_t image_size, std::uint16_t device_id) noexcept
{
    put_signature(header);
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

std::uint32_t header_crc(const image_header& header) noexcept
{
    return load_le32(&header.bytes[header_field::crc]);
}

void print_image_header(const image_header& header) noexcept
{
    const auto& b = header.bytes;
    std::fputs("header signature = ", stdout);
    std::fwrite(&b[header_field::signature], 1, signature_text.size(), stdout);
    std::fputs("\n", stdout);
    std::printf("header type = 0x%x \n", unsigned{b[header_field::type]});
    const auto* v = &b[header_field::version];
    std::printf("header version = %d.%d.%d.%d.%d ,[major.minor.oem.beta.alpha]\n", int{v[0]},
                int{v[1]}, int{v[2]}, int{v[3]}, int{v[4]});
    std::printf("header crc = 0x%x \n", unsigned{header_crc(header)});
}

} // namespace corvane
