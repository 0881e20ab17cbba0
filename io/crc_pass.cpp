#include "io/crc_pass.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <span>

#include "image/crc_engine.h"
#include "image/image_crc.h"

namespace corvane {

namespace {

// Reads exactly `count` bytes at `offset` with pread(2), so that the bytes go
// straight into the caller's buffer and the stream's position is not used.
bool read_exactly_at(int fd, std::uint8_t* into, std::size_t count, std::uint64_t offset)
{
    while (count > 0) {
        const ssize_t got = ::pread(fd, into, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        const auto n = static_cast<std::size_t>(got);
        into += n;
        count -= n;
        offset += n;
    }
    return true;
}

} // namespace

crc_pass_result image_crc_pass(std::FILE* stream, std::uint64_t image_length,
                               crc_buffer& checkSum_buf) noexcept
{
    const int fd = ::fileno(stream);
    const std::uint64_t covered =
        image_length > crc_uncovered_tail ? image_length - crc_uncovered_tail : 0;
    std::uint32_t reg = crc_initial;
    for (std::uint64_t done = 0; done < image_length;) {
        const auto n = static_cast<std::size_t>(
            std::min<std::uint64_t>(image_length - done, checkSum_buf.size()));
        if (!read_exactly_at(fd, checkSum_buf.data(), n, done))
            return {crc_pass_status::read_failed, 0};
        // The uncovered tail is read like the rest but not fed.
        const auto feed =
            static_cast<std::size_t>(std::min<std::uint64_t>(n, covered - std::min(covered, done)));
        reg = crc_accumulate(reg, std::span(checkSum_buf.data(), feed));
        done += n;
    }
    return {crc_pass_status::ok, checksum_word(reg)};
}

} // namespace corvane
