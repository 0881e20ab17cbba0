#include "io/crc_pass.h"

#include <algorithm>
#include <span>

#include "image/crc_engine.h"
#include "image/image_crc.h"

namespace corvane {

io_status image_crc_pass(const image_file& file, std::uint64_t image_length,
                         crc_buffer& checkSum_buf, std::uint32_t& word, pass_copy copy) noexcept
{
    const std::uint64_t covered =
        image_length > crc_uncovered_tail ? image_length - crc_uncovered_tail : 0;
    std::uint32_t reg = crc_initial;
    for (std::uint64_t done = 0; done < image_length;) {
        const auto n = static_cast<std::size_t>(
            std::min<std::uint64_t>(image_length - done, checkSum_buf.size()));
        if (const io_status read = file.read_at(done, std::span(checkSum_buf.data(), n));
            !read.ok())
            return read;
        if (const std::uint64_t end = copy.at + copy.into.size();
            copy.at < done + n && done < end) {
            const std::uint64_t from = std::max(copy.at, done);
            std::copy_n(checkSum_buf.data() + (from - done), std::min(end, done + n) - from,
                        copy.into.data() + (from - copy.at));
        }
        // The uncovered tail is read like the rest but not fed.
        const auto feed =
            static_cast<std::size_t>(std::min<std::uint64_t>(n, covered - std::min(covered, done)));
        reg = crc_accumulate(reg, std::span(checkSum_buf.data(), feed));
        done += n;
    }
    word = checksum_word(reg);
    return {};
}

} // namespace corvane
