#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace corvane {

// A kind of image: the word given after -t, the type code stored in the
// header and the fixed file name, opened in the current directory.
struct image_kind {
    std::string_view word;
    std::uint8_t type_code;
    const char* file_name;
};

// Type code 1 belongs to no kind.
inline constexpr std::array<image_kind, 6> image_type_table = {{
    {"hbainfo", 0, "hbainfo.bin"},
    {"bios", 2, "bios.bin"},
    {"firmware", 3, "firmware.bin"},
    {"uboot", 4, "fwloader.bin"},
    {"hba", 5, "hba.txt"},
    {"desc", 6, "desc.txt"},
}};

// The kind whose word equals `word` exactly (case-sensitive), or null.
[[nodiscard]] const image_kind* find_image_kind(std::string_view word) noexcept;

// The kind a header's type code names, or null.
[[nodiscard]] const image_kind* kind_of_type_code(std::uint8_t type_code) noexcept;

} // namespace corvane
