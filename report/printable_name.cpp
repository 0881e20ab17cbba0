#include "report/printable_name.h"

#include "report/utf8.h"

#include <algorithm>
#include <cstdio>

namespace corvane {

namespace {

// Calls `piece` with each piece of the printable text in turn.
template <typename Piece>
void for_each_piece(std::string_view name, Piece&& piece)
{
    for (std::size_t at = 0; at < name.size();) {
        char32_t code = 0;
        const std::size_t n = utf8_sequence(name.substr(at), code);
        char text[8];
        if (n == 1 && code == '\\')
            piece("\\\\");
        else if (n == 1 && code == '\n')
            piece("\\n");
        else if (n == 1 && code == '\t')
            piece("\\t");
        else if (n == 0 || is_control(code) || is_bidi_control(code))
            for (std::size_t i = at; i < at + std::max<std::size_t>(n, 1); ++i) {
                std::snprintf(text, sizeof text, "\\x%02x",
                              unsigned{static_cast<unsigned char>(name[i])});
                piece(std::string_view(text));
            }
        else
            piece(name.substr(at, n));
        at += std::max<std::size_t>(n, 1);
    }
}

} // namespace

std::string printable_name(std::string_view name)
{
    std::string text;
    for_each_piece(name, [&text](std::string_view piece) { text += piece; });
    return text;
}

std::string_view printable_name(std::string_view name, std::span<char> buffer) noexcept
{
    std::size_t length = 0;
    bool full = buffer.empty();
    for_each_piece(name, [&](std::string_view piece) {
        full = full || length + piece.size() >= buffer.size();
        if (!full)
            length += piece.copy(buffer.data() + length, piece.size());
    });
    if (!buffer.empty())
        buffer[length] = '\0';
    return {buffer.data(), length};
}

} // namespace corvane
