#include "io/output.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>

namespace corvane {

namespace {

// Linux caps the words of a command line at 6 MiB in all, whatever the page size (macOS at
// 1 MiB, Windows at 32,767 UTF-16 units), so this holds the longest echo there is. Pages that are
// never written cost no memory.
char held_output[(std::size_t{6} << 20) + 4096];
char held_error[4096]; // a run says a few lines on standard error

struct hold {
    char* bytes;
    std::size_t capacity;
    std::size_t used;
    bool on;
};
hold output_hold{held_output, sizeof held_output, 0, false};
hold error_hold{held_error, sizeof held_error, 0, false};

hold* hold_of(std::FILE* stream)
{
    return stream == stdout ? &output_hold : stream == stderr ? &error_hold : nullptr;
}

} // namespace

void put(std::FILE* stream, std::string_view text) noexcept
{
    hold* h = hold_of(stream);
    if (h != nullptr && h->on && text.size() <= h->capacity - h->used) {
        std::memcpy(h->bytes + h->used, text.data(), text.size());
        h->used += text.size();
        return;
    }
    if (h != nullptr && h->on) // more than the system lets a run print early: cannot happen
        release_output(stream, false);
    std::fwrite(text.data(), 1, text.size(), stream);
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

void hold_output(std::FILE* stream) noexcept
{
    if (hold* h = hold_of(stream))
        h->on = true;
}

void release_output(std::FILE* stream, bool drop) noexcept
{
    hold* h = hold_of(stream);
    if (h == nullptr || !h->on)
        return;
    h->on = false;
    if (!drop)
        std::fwrite(h->bytes, 1, h->used, stream);
    h->used = 0;
}

} // namespace corvane
