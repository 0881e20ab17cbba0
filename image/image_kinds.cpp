#include "image/image_kinds.h"

#include <algorithm>

namespace corvane {

const image_kind* find_image_kind(std::string_view word) noexcept
{
    const auto* kind = std::find_if(image_type_table.begin(), image_type_table.end(),
                                    [word](const image_kind& k) { return k.word == word; });
    return kind == image_type_table.end() ? nullptr : kind;
}

const image_kind* kind_of_type_code(std::uint8_t type_code) noexcept
{
    const auto* kind =
        std::find_if(image_type_table.begin(), image_type_table.end(),
                     [type_code](const image_kind& k) { return k.type_code == type_code; });
    return kind == image_type_table.end() ? nullptr : kind;
}

std::string kind_words()
{
    std::string words;
    for (const image_kind& kind : image_type_table)
        words.append(words.empty() ? "" : ", ").append(kind.word);
    return words;
}

} // namespace corvane
