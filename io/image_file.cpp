#include "io/image_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <utility>

namespace corvane {

static_assert(sizeof(off_t) >= 8, "image lengths are measured in 64 bits");

image_stream::image_stream(image_stream&& other) noexcept
    : file_(std::exchange(other.file_, nullptr))
{
}

image_stream::~image_stream()
{
    if (file_ != nullptr)
        std::fclose(file_);
}

bool image_stream::close() noexcept { return std::fclose(std::exchange(file_, nullptr)) == 0; }

image_stream open_image(const char* file_name, open_mode mode, int* error) noexcept
{
    const auto refuse = [error](int fd, int why) {
        if (error != nullptr)
            *error = why;
        if (fd >= 0)
            ::close(fd);
        return image_stream{};
    };
    // open(2) with O_NONBLOCK so that a FIFO under the image's name cannot
    // block the run, then a check of what was opened before any byte moves.
    int flags = O_NOCTTY | O_CLOEXEC | O_NONBLOCK;
    const char* stream_mode = "rb";
    switch (mode) {
    case open_mode::read:
        flags |= O_RDONLY;
        break;
    case open_mode::update:
        flags |= O_RDWR;
        stream_mode = "rb+";
        break;
    }
    const int fd = ::open(file_name, flags);
    if (fd < 0)
        return refuse(fd, errno);
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return refuse(fd, errno);
    if (!S_ISREG(status.st_mode))
        return refuse(fd, 0);
    std::FILE* file = ::fdopen(fd, stream_mode);
    if (file == nullptr)
        return refuse(fd, errno);
    return image_stream(file);
}

std::optional<std::uint64_t> file_length(std::FILE* stream) noexcept
{
    const off_t position = ::ftello(stream);
    if (position < 0 || ::fseeko(stream, 0, SEEK_END) != 0)
        return std::nullopt;
    const off_t end = ::ftello(stream);
    if (end < 0 || ::fseeko(stream, position, SEEK_SET) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(end);
}

bool read_at(std::FILE* stream, std::uint64_t offset, std::span<std::uint8_t> into) noexcept
{
    const int fd = ::fileno(stream);
    for (std::size_t done = 0; done < into.size();) {
        if (offset + done > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
            return false;
        const ssize_t got =
            ::pread(fd, into.data() + done, into.size() - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

bool seek_to(std::FILE* stream, std::uint64_t offset) noexcept
{
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
        return false;
    return ::fseeko(stream, static_cast<off_t>(offset), SEEK_SET) == 0;
}

} // namespace corvane
