#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "io/platform.h"
#include "io/standard_streams.h"

namespace corvane {

bool set_streams_up() noexcept
{
    // A closed pipe, or a limit on the size of a file, makes a write fail rather than end the
    // process: a lost report, or a failed write, that the run can say.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    // Descriptors 0, 1 and 2 valid, so that the image can never be opened as one of them. Each
    // closed one becomes the read end of a pipe whose write end is closed: a read sees the end of
    // its input, and a write fails, so that the report fails to arrive rather than vanishes. No
    // file is needed, not even the null device, which a bare /dev may lack. pipe(2) takes the
    // lowest free descriptors, so its read end is the closed one.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        int ends[2];
        if (::pipe(ends) != 0)
            return false;
        ::close(ends[1]);
        if (ends[0] != fd)
            return false;
    }
    return true;
}

bool is_terminal(std::FILE* stream) noexcept { return ::isatty(::fileno(stream)) == 1; }

std::size_t write_console(std::FILE*, std::string_view) noexcept
{
    return 0; // a terminal takes the UTF-8 bytes as they are
}

} // namespace corvane
