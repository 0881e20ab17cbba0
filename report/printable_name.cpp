#include "report/printable_name.h"

#include "report/utf8.h"

#include <algorithm>
#include <cstdio>

namespace corvane {

namespace {

std::string escaped(unsigned char byte)
{
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02x", unsigned{byte});
    return text;
}

} // namespace

std::string printable_name(std::string_view name)
{
    std::string text;
    for (std::size_t at = 0; at < name.size();) {
        char32_t code = 0;
        const std::size_t n = utf8_sequence(name.substr(at), code);
        if (n == 1 && code == '\\')
            text += "\\\\";
        else if (n == 1 && code == '\n')
            text += "\\n";
        else if (n == 1 && code == '\t')
            text += "\\t";
        else if (n == 0 || is_control(code) || is_bidi_control(code))
            for (std::size_t i = at; i < at + std::max<std::size_t>(n, 1); ++i)
                text += escaped(static_cast<unsigned char>(name[i]));
        else
            text += name.substr(at, n);
        at += std::max<std::size_t>(n, 1);
    }
    return text;
}

} // namespace corvane
