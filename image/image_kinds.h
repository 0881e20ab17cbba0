#pragma once

#include <array>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "image/rule_values.h"

namespace corvane {

// A kind of image: the word given after -t, the type code stored in the header, the fixed file
// name, opened in the current directory, and the unit its size is a whole number of.
struct image_kind {
    std::string_view word;
    std::uint8_t type_code;
    const char* file_name;
    std::uint32_t size_unit;
};

// The kinds as image/image_rules.txt lists them.
inline constexpr auto image_type_table = [] {
    std::array<image_kind, std::size(rule_values::kinds)> table{};
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = {rule_values::kinds[i].word, rule_values::kinds[i].type_code,
                    rule_values::kinds[i].file_name, rule_values::kinds[i].size_unit};
    return table;
}();

// The kind whose word equals `word` exactly (case-sensitive), or null.
[[nodiscard]] const image_kind* find_image_kind(std::string_view word) noexcept;

// The kind a header's type code names, or null.
[[nodiscard]] const image_kind* kind_of_type_code(std::uint8_t type_code) noexcept;

// The kinds' words as -t takes them, in the rules' order, apart by ", ".
[[nodiscard]] std::string kind_words();

} // namespace corvane
