#include "report/json_string.h"

#include <algorithm>

#include "io/output.h"
#include "report/utf8.h"

namespace corvane {

void put_json_string(std::FILE* out, std::string_view text) noexcept
{
    put(out, "\"");
    for (std::size_t at = 0; at < text.size();) {
        char32_t code = 0;
        const std::size_t n = utf8_sequence(text.substr(at), code);
        if (n == 0)
            put(out, "\\ufffd");
        else if (code == '"' || code == '\\')
            print(out, "\\%c", static_cast<char>(code));
        else if (code == '\n')
            put(out, "\\n");
        else if (is_control(code) || is_bidi_control(code))
            print(out, "\\u%04x", static_cast<unsigned>(code));
        else
            put(out, text.substr(at, n));
        at += std::max<std::size_t>(n, 1);
    }
    put(out, "\"");
}

} // namespace corvane
