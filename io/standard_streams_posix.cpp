#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <initializer_list>

#include "io/platform_streams.h"

namespace corvane {

void set_streams_up() noexcept
{
    // Descriptors 0, 1 and 2 valid, so that the image can never be opened as one of them. open(2)
    // takes the lowest free descriptor, which is the closed one; standard output is opened
    // read-only, so that the report fails to arrive rather than vanishes.
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        const int flags = fd == STDERR_FILENO ? O_WRONLY : O_RDONLY;
        if (::open("/dev/null", flags) != fd)
            _exit(1); // a descriptor below it is still closed: nothing sound to do
    }
    std::signal(SIGPIPE, SIG_IGN);
}

bool is_regular_file(std::FILE* stream) noexcept
{
    struct stat status {};
    return ::fstat(::fileno(stream), &status) == 0 && S_ISREG(status.st_mode);
}

bool is_same_file(std::FILE* stream, const file_state& image) noexcept
{
    struct stat status {};
    return ::fstat(::fileno(stream), &status) == 0 &&
           static_cast<std::uint64_t>(status.st_dev) == image.device &&
           static_cast<std::uint64_t>(status.st_ino) == image.file_id;
}

void point_at_null(std::FILE* stream) noexcept
{
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0 || ::dup2(null, ::fileno(stream)) < 0)
        _exit(1); // the image would get the report: nothing sound is left to do
    ::close(null);
}

} // namespace corvane
