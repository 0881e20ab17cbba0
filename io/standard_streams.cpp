#include "io/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace corvane {

void make_standard_streams_valid() noexcept
{
    // open(2) takes the lowest free descriptor, which is the closed one.
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        const int flags = fd == STDERR_FILENO ? O_WRONLY : O_RDONLY;
        if (::open("/dev/null", flags) != fd)
            _exit(1); // a descriptor below it is still closed: nothing sound to do
    }
}

} // namespace corvane
