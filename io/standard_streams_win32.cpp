#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "io/platform.h"

namespace corvane {

bool set_streams_up() noexcept
{
    // Binary, so that the report's bytes, line ends included, are those of every platform:
    // scripts match these lines. (A closed stream has no descriptor here that a file could take.)
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    return true;
}

} // namespace corvane
