#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "io/platform.h"
#include "io/standard_streams.h"

namespace corvane {

bool set_streams_up() noexcept
{
    // Binary, so that the report's bytes, line ends included, are those of every platform:
    // scripts match these lines. (A closed stream has no descriptor here that a file could take.)
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    return true;
}

bool is_terminal(std::FILE* stream) noexcept
{
    DWORD mode = 0;
    return GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), &mode) != 0;
}

std::size_t write_console(std::FILE* stream, std::string_view text) noexcept
{
    const auto console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode))
        return 0;
    std::fflush(stream); // what the C library holds goes first
    std::size_t done = 0;
    while (done < text.size()) {
        // A piece that ends on a whole UTF-8 character; a character cut in two would show as two
        // replacement characters.
        std::size_t n = std::min<std::size_t>(text.size() - done, 4096);
        while (n > 1 && done + n < text.size() &&
               (static_cast<unsigned char>(text[done + n]) & 0xC0) == 0x80)
            --n;
        wchar_t wide[4096];
        const int count =
            MultiByteToWideChar(CP_UTF8, 0, text.data() + done, static_cast<int>(n), wide, 4096);
        DWORD written = 0;
        if (count <= 0 ||
            !WriteConsoleW(console, wide, static_cast<DWORD>(count), &written, nullptr))
            break; // the rest goes as bytes, and fails there as it may
        done += n;
    }
    return done;
}

} // namespace corvane
