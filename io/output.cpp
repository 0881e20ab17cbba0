#include "io/output.h"

#include <algorithm>
#include <cstdarg>

#include "io/platform.h"

namespace corvane {

void put(std::FILE* stream, std::string_view text) noexcept
{
    if (stream == nullptr)
        return;
    const std::size_t shown = write_console(stream, text);
    std::fwrite(text.data() + shown, 1, text.size() - shown, stream);
}

void print(std::FILE* stream, const char* format, ...) noexcept
{
    char text[4096];
    std::va_list values;
    va_start(values, format);
    const int length = std::vsnprintf(text, sizeof text, format, values);
    va_end(values);
    // Every line a tool formats is far shorter; a longer one would be cut, never overrun.
    if (length > 0)
        put(stream, {text, std::min(static_cast<std::size_t>(length), sizeof text - 1)});
}

} // namespace corvane
