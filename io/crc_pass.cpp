#include "io/crc_pass.h"

#include <algorithm>
#include <span>

#include "image/crc_engine.h"
#include "image/image_crc.h"
#include "io/image_file.h"

namespace corvane {

crc_pass_result image_crc_pass(std::FILE* stream, std::uint64_t image_length,
                               crc_buffer& checkSum_buf) noexcept
{
    const std::uint64_t covered =
        image_length > crc_uncovered_tail ? image_length - crc_uncovered_tail : 0;
    std::uint32_t reg = crc_initial;
    for (std::uint64_t done = 0; done < image_length;) {
        const auto n = static_cast<std::size_t>(
            std::min<std::uint64_t>(image_length - done, checkSum_buf.size()));
        if (!read_at(stream, done, std::span(checkSum_buf.data(), n)))
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
