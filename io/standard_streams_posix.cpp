#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <initializer_list>

#include "io/standard_streams.h"

namespace corvane {

namespace {

// What a run prints before it has compared its streams with its image: the
// greeting and the echo of at most nine words. Linux caps the words of a
// command line at 6 MiB in all, whatever the page size (macOS at 1 MiB), so
// this holds the longest echo the system allows. Pages that are never written
// cost no memory.
constexpr std::size_t held_output_size = (std::size_t{6} << 20) + 4096;
char held_output[held_output_size];
char held_error[4096]; // a run's messages to standard error are a few lines

bool is_regular_file(int fd)
{
    struct stat status {};
    return ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

bool is_file(int fd, const file_state& image)
{
    struct stat status {};
    return ::fstat(fd, &status) == 0 && static_cast<std::uint64_t>(status.st_dev) == image.device &&
           static_cast<std::uint64_t>(status.st_ino) == image.file_id;
}

} // namespace

void prepare_standard_streams() noexcept
{
    // open(2) takes the lowest free descriptor, which is the closed one.
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        const int flags = fd == STDERR_FILENO ? O_WRONLY : O_RDONLY;
        if (::open("/dev/null", flags) != fd)
            _exit(1); // a descriptor below it is still closed: nothing sound to do
    }
    std::signal(SIGPIPE, SIG_IGN);
    // Set before anything is printed, so that it also overrides a buffering
    // mode imposed from outside (stdbuf -o0).
    if (is_regular_file(STDOUT_FILENO))
        std::setvbuf(stdout, held_output, _IOFBF, sizeof held_output);
    if (is_regular_file(STDERR_FILENO))
        std::setvbuf(stderr, held_error, _IOFBF, sizeof held_error);
}

unsigned standard_streams_on(const file_state& image) noexcept
{
    return (is_file(STDOUT_FILENO, image) ? standard_output : 0u) |
           (is_file(STDERR_FILENO, image) ? standard_error : 0u);
}

void divert_to_null(unsigned streams) noexcept
{
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0)
        _exit(1); // the image would get the report: nothing sound is left to do
    if ((streams & standard_output) != 0)
        ::dup2(null, STDOUT_FILENO);
    if ((streams & standard_error) != 0)
        ::dup2(null, STDERR_FILENO);
    ::close(null);
}

bool finish_standard_output(const char* tool) noexcept
{
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0)
        return true;
    std::fprintf(stderr, "%s: standard output could not be written\n", tool);
    return false;
}

} // namespace corvane
