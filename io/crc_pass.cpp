#include "io/crc_pass.h"

#include <algorithm>
#include <span>

#include "image/crc_engine.h"
#include "image/image_crc.h"

namespace corvane {

namespace {

// Copies the bytes `copy` names that lie in `bytes`, which stand at `done` in the image.
void copy_out(const pass_copy& copy, std::uint64_t done, std::span<const std::uint8_t> bytes)
{
    const std::uint64_t end = copy.at + copy.into.size();
    if (copy.at < done + bytes.size() && done < end) {
        const std::uint64_t from = std::max(copy.at, done);
        std::copy_n(bytes.data() + (from - done), std::min(end, done + bytes.size()) - from,
                    copy.into.data() + (from - copy.at));
    }
}

// One pass over a mapping, as read_mapped runs it. A writer may change the mapped bytes while they
// are read, so the bytes copied out are taken first, and the checksum takes them from the copy:
// the copy and the word are of the same bytes, as they are when both come out of one read.
struct mapped_pass {
    std::span<const std::uint8_t> bytes;
    std::uint64_t covered; // the bytes the checksum covers, from the image's layout
    crc_pass_result* result;

    static void run(void* context)
    {
        const auto& pass = *static_cast<const mapped_pass*>(context);
        const pass_copy& copy = pass.result->copy;
        const std::uint64_t covered = pass.covered;
        const std::uint64_t from = std::min(copy.at, covered);
        const std::uint64_t to = std::max(from, std::min(copy.at + copy.into.size(), covered));
        copy_out(copy, 0, pass.bytes);
        std::uint32_t reg = crc_accumulate(crc_initial, pass.bytes.first(from));
        reg = crc_accumulate(reg, copy.into.first(to - from));
        reg = crc_accumulate(reg, pass.bytes.subspan(to, covered - to));
        pass.result->word = checksum_word(reg);
        if (pass.result->digest != nullptr)
            pass.result->digest->feed(pass.bytes);
    }
};

} // namespace

io_status image_crc_passes(const image_file& file, const image_layout& layout, crc_buffer& buffer,
                           std::span<crc_pass_result> passes) noexcept
{
    mapped_bytes view;
    if (layout.size <= buffer.size() || !file.map(layout.size, view).ok()) {
        for (crc_pass_result& pass : passes)
            if (const io_status s =
                    image_crc_pass(file, layout, buffer, pass.word, pass.copy, pass.digest);
                !s.ok())
                return s;
        return {};
    }
    for (crc_pass_result& pass : passes) {
        mapped_pass run{view.bytes(), layout.covered, &pass};
        if (!read_mapped(mapped_pass::run, &run))
            return {io_error::ended, 0};
    }
    return {};
}

io_status image_crc_pass(const image_file& file, const image_layout& layout, crc_buffer& buffer,
                         std::uint32_t& word, pass_copy copy, sha256* digest) noexcept
{
    std::uint32_t reg = crc_initial;
    for (std::uint64_t done = 0; done < layout.size;) {
        const auto n =
            static_cast<std::size_t>(std::min<std::uint64_t>(layout.size - done, buffer.size()));
        if (const io_status read = file.read_at(done, std::span(buffer.data(), n)); !read.ok())
            return read;
        copy_out(copy, done, std::span(buffer.data(), n));
        // The uncovered tail is read like the rest but not fed.
        const auto feed = static_cast<std::size_t>(
            std::min<std::uint64_t>(n, layout.covered - std::min(layout.covered, done)));
        reg = crc_accumulate(reg, std::span(buffer.data(), feed));
        if (digest != nullptr)
            digest->feed(std::span(buffer.data(), n));
        done += n;
    }
    word = checksum_word(reg);
    return {};
}

} // namespace corvane
