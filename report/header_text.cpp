#include "report/header_text.h"

#include "io/output.h"

namespace corvane {

// Fixed texts that scripts match, blank before the line end included; like
// those of stamp/in_place_messages.cpp they must not be corrected.
void print_image_header(std::FILE* out, const image_header& header) noexcept
{
    const auto& b = header.bytes;
    put(out, "header signature = ");
    put(out, {reinterpret_cast<const char*>(&b[header_field::signature]), image_signature.size()});
    put(out, "\n");
    print(out, "header type = 0x%x \n", unsigned{header_type(header)});
    const image_version v = header_version(header);
    print(out, "header version = %d.%d.%d.%d.%d ,[major.minor.oem.beta.alpha]\n", int{v[0]},
          int{v[1]}, int{v[2]}, int{v[3]}, int{v[4]});
    print(out, "header crc = 0x%x \n", unsigned{header_crc(header)});
}

} // namespace corvane
