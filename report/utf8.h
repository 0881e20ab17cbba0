#pragma once

#include <cstddef>
#include <string_view>

namespace corvane {

// What a terminal would make of the bytes of a name, for the reports that write names.

// The length of the valid UTF-8 sequence that starts the text, with its code
// point in `code`; 0 when the text does not start with one.
inline std::size_t utf8_sequence(std::string_view text, char32_t& code)
{
    const auto byte = [text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 1;
    char32_t least = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, code = lead & 0x1Fu, least = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, code = lead & 0x0Fu, least = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, code = lead & 0x07u, least = 0x10000;
    else
        return 0;
    if (text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0u) != 0x80u)
            return 0;
        code = code << 6 | (byte(i) & 0x3Fu);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < least || code > 0x10FFFF || surrogate ? 0 : length;
}

// C0, DEL and C1: a terminal acts on them instead of showing them.
inline bool is_control(char32_t code) { return code < 0x20 || (code >= 0x7F && code <= 0x9F); }

// The embeddings, overrides and isolates that make a terminal show text in
// another order than it stands in.
inline bool is_bidi_control(char32_t code)
{
    return (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
}

} // namespace corvane
