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

// One pass as it goes: the register over what it has taken.
struct pass_state {
    const image_layout& layout;
    crc_pass_result& result;
    std::uint32_t reg = crc_initial;

    // Takes `bytes`, which stand at `at` in the image. A writer may change mapped bytes while they
    // are read, so the bytes copied out are taken first, and the checksum takes them from the
    // copy: the copy and the word are of the same bytes, as they are when both come out of one
    // read. The uncovered tail is read like the rest but not fed.
    void take(std::uint64_t at, std::span<const std::uint8_t> bytes) noexcept
    {
        const pass_copy& copy = result.copy;
        copy_out(copy, at, bytes);
        const std::uint64_t fed = std::clamp(layout.covered, at, at + bytes.size());
        const std::uint64_t from = std::clamp(copy.at, at, fed);
        const std::uint64_t to = std::clamp(copy.at + copy.into.size(), from, fed);
        if (from > at)
            reg = crc_accumulate(reg, bytes.first(from - at));
        if (to > from)
            reg = crc_accumulate(reg, copy.into.subspan(from - copy.at, to - from));
        if (fed > to)
            reg = crc_accumulate(reg, bytes.subspan(to - at, fed - to));
        if (result.digest != nullptr)
            result.digest->feed(bytes);
    }
};

// A mapped window taken, as read_mapped runs it.
struct mapped_window {
    pass_state* pass;
    std::uint64_t at;
    std::span<const std::uint8_t> bytes;

    static void run(void* context)
    {
        const auto& window = *static_cast<const mapped_window*>(context);
        window.pass->take(window.at, window.bytes);
    }
};

// The bytes a pass maps at a time: the process's resident memory stays this much whatever the
// image's size, and a window is large enough that mapping it costs little beside reading it.
constexpr std::uint64_t map_window = 8u << 20;

io_status run_pass(const image_file& file, const image_layout& layout, crc_buffer& buffer,
                   crc_pass_result& result, bool mapped) noexcept
{
    pass_state pass{layout, result};
    mapped_bytes view;
    for (std::uint64_t at = 0; at < layout.size;) {
        if (mapped) {
            const std::uint64_t n = std::min(layout.size - at, map_window);
            if (file.map(at, n, view).ok()) {
                mapped_window window{&pass, at, view.bytes()};
                if (!read_mapped(mapped_window::run, &window))
                    return {io_error::ended, 0};
                at += n;
                continue;
            }
            mapped = false; // where the file cannot be mapped, it is read
        }
        const auto n =
            static_cast<std::size_t>(std::min<std::uint64_t>(layout.size - at, buffer.size()));
        if (const io_status read = file.read_at(at, std::span(buffer.data(), n)); !read.ok())
            return read;
        pass.take(at, std::span(buffer.data(), n));
        at += n;
    }
    result.word = checksum_word(pass.reg);
    return {};
}

} // namespace

io_status image_crc_passes(const image_file& file, const image_layout& layout, crc_buffer& buffer,
                           std::span<crc_pass_result> passes) noexcept
{
    for (crc_pass_result& pass : passes)
        if (const io_status s = run_pass(file, layout, buffer, pass, layout.size > buffer.size());
            !s.ok())
            return s;
    return {};
}

io_status image_crc_pass(const image_file& file, const image_layout& layout, crc_buffer& buffer,
                         std::uint32_t& word, pass_copy copy, sha256* digest) noexcept
{
    crc_pass_result result{0, copy, digest};
    const io_status s = run_pass(file, layout, buffer, result, false);
    word = result.word;
    return s;
}

} // namespace corvane
