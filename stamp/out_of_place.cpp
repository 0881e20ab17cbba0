#include "stamp/out_of_place.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <span>
#include <utility>

#include "image/crc_engine.h"
#include "image/image_crc.h"
#include "image/image_layout.h"
#include "image/strict_words.h"
#include "io/crc_pass.h"
#include "io/output.h"
#include "report/printable_name.h"
#include "stamp/digest_beside.h"
#include "stamp/kept_words.h"
#include "stamp/manifest_lines.h"
#include "stamp/new_file.h"

namespace corvane {

namespace {

// The input is read into it, the padding written from it, the new file read back through it.
crc_buffer work_buffer;

// Writeback is started every so many bytes written, so that the flush at the end has little left.
constexpr std::uint64_t writeback_every = 8u << 20;

copy_result failed(copy_error error, io_status cause = {}, std::uint64_t first = {},
                   std::uint64_t second = {}, std::uint64_t third = {})
{
    return {error, cause, {first, second, third}, 0, 0, {}};
}

// An input of `length` bytes (or more, from standard input), longer than the image of the size
// asked for (none: of any size) holds before its header: with the smallest size that holds it,
// where there is one.
copy_result input_too_long(std::uint64_t length, std::uint64_t room, std::uint32_t unit,
                           bool size_asked)
{
    const std::optional<std::uint32_t> holds = smallest_image_size(length, unit);
    if (!size_asked || !holds)
        return failed(copy_error::too_long_for_any, {}, length);
    return failed(copy_error::too_long, {}, length, room, *holds);
}

// Shown on standard error once the run has lasted a second, a tenth of a second apart at most.
class progress_line {
public:
    progress_line(const copy_request& request, std::FILE* err) noexcept
        : shown_(request.progress ? err : nullptr)
    {
        if (shown_ != nullptr)
            output_ = printable_name(request.output, name_).data();
    }
    void show(std::uint64_t done, std::uint64_t total) noexcept
    {
        const auto now = std::chrono::steady_clock::now();
        if (shown_ == nullptr || now - start_ < std::chrono::seconds(1) ||
            now - last_ < std::chrono::milliseconds(100))
            return;
        last_ = now;
        if (total == 0)
            print(shown_, "\rcorvane-stamp: %s: %llu MiB", output_,
                  static_cast<unsigned long long>(done >> 20));
        else
            print(shown_, "\rcorvane-stamp: %s: %3u%%", output_,
                  static_cast<unsigned>(done * 100 / total));
        started_ = true;
    }
    void end() noexcept
    {
        if (started_)
            print(shown_, "\rcorvane-stamp: %s: 100%%, done\n", output_);
    }

private:
    std::FILE* shown_;
    char name_[4 * 4096 + 1];
    const char* output_ = "";
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point last_{};
    bool started_ = false;
};

// The input, copied into the new file from its start: its length, and the register over it.
copy_result copy_input(const copy_request& request, image_file& input, new_file& out,
                       std::uint64_t room, progress_line& progress, digest_beside& digest,
                       std::uint64_t& length, std::uint32_t& reg)
{
    for (std::size_t got = 1; got != 0;) {
        if (const io_status s = input.read_next(work_buffer, got); !s.ok())
            return failed(copy_error::read_input, s);
        if (length + got > room)
            return failed(copy_error::too_long, {}, length + got, room);
        const std::span bytes(work_buffer.data(), got);
        if (const io_status s = out.file.write_at(length, bytes); !s.ok())
            return failed(copy_error::write, s);
        reg = crc_accumulate(reg, bytes);
        if ((length + got) / writeback_every != length / writeback_every)
            out.file.start_writeback(length + got);
        length += got;
        digest.written(length);
        progress.show(length, request.image_size ? 2ull * *request.image_size : 0);
    }
    return {};
}

// The padding, the header and the tail after it, behind the input: the image's own bytes, as
// corvane makes them.
copy_result finish_image(const copy_request& request, new_file& out, std::uint64_t length,
                         const image_layout& layout, std::uint32_t& reg, image_header& header,
                         digest_beside& digest)
{
    work_buffer.fill(0xFF);
    for (std::uint64_t at = length; at < layout.header_at;) {
        const auto n = static_cast<std::size_t>(
            std::min<std::uint64_t>(layout.header_at - at, work_buffer.size()));
        const std::span bytes(work_buffer.data(), n);
        if (const io_status s = out.file.write_at(at, bytes); !s.ok())
            return failed(copy_error::write, s);
        reg = crc_accumulate(reg, bytes);
        at += n;
        digest.written(at);
    }
    build_image_header(header, request.kind->type_code, request.version,
                       static_cast<std::uint32_t>(layout.size), request.device_id);
    reg = crc_accumulate(reg, std::span(header.bytes).first(layout.covered - layout.header_at));
    set_header_crc(header, checksum_word(reg));
    const std::span tail(work_buffer.data(), layout.size - layout.tail_at);
    if (const io_status s = out.file.write_at(layout.header_at, header.bytes); !s.ok())
        return failed(copy_error::write, s);
    if (const io_status s = out.file.write_at(layout.tail_at, tail); !s.ok())
        return failed(copy_error::write, s);
    digest.written(layout.size);
    return {};
}

// Refused where the record or the words would replace INPUT, OUTPUT or each other.
copy_result refuse_shared_names(const copy_request& request, bool from_standard_input)
{
    const std::pair<const char*, other_file> others[] = {
        {from_standard_input ? nullptr : request.input, other_file::input},
        {request.output, other_file::output},
        {request.record, other_file::record}};
    for (const auto& [made, kind] :
         {std::pair{request.record, own_file::record}, std::pair{request.words, own_file::words}})
        for (const auto& [other, other_kind] : others)
            if (made != nullptr && other != nullptr && other != made)
                if (const copy_result f = refuse_one_file(made, kind, other, other_kind);
                    f.error != copy_error::none)
                    return f;
    return {};
}

// The new file read back: it must give the CRC of the bytes written.
copy_result read_back(const new_file& out, const image_layout& layout, std::uint32_t written,
                      progress_line& progress)
{
    std::uint32_t reg = crc_initial;
    for (std::uint64_t at = 0; at < layout.size;) {
        const auto n =
            static_cast<std::size_t>(std::min<std::uint64_t>(layout.size - at, work_buffer.size()));
        const std::span bytes(work_buffer.data(), n);
        if (const io_status s = out.file.read_at(at, bytes); !s.ok())
            return failed(copy_error::read_back, s);
        reg = crc_accumulate(reg, bytes.first(static_cast<std::size_t>(std::min<std::uint64_t>(
                                      n, layout.covered - std::min(layout.covered, at)))));
        at += n;
        progress.show(layout.size + at, 2 * layout.size);
    }
    if (checksum_word(reg) != written)
        return failed(copy_error::read_back_differs, {}, checksum_word(reg), written);
    return {};
}

} // namespace

copy_result stamp_out_of_place(const copy_request& request, copy_streams& streams)
{
    const bool from_standard_input = std::strcmp(request.input, "-") == 0;
    image_file input;
    const io_status opened = from_standard_input ? input.open_standard_input()
                                                 : input.open(request.input, open_mode::read);
    file_state before{};
    const bool regular = opened.ok() && !from_standard_input && input.state(before).ok();

    // Nothing is printed into the input or the output.
    streams.standard = describe_standard_streams();
    const streams_on on_input = from_standard_input
                                    ? streams_on{}
                                    : streams_on_file(streams.standard, request.input,
                                                      regular ? &before.identity : nullptr);
    const streams_on on_output = streams_on_file(streams.standard, request.output, nullptr);
    streams.maybe_input = on_input.maybe;
    streams.maybe_output = on_output.maybe;
    streams.streams = streams_apart_from(on_input.left_out() | on_output.left_out() |
                                         streams.standard.unexamined());
    if ((on_input.same | on_output.same) != 0)
        return failed(copy_error::standard_stream, {}, on_input.same != 0);
    if (!opened.ok() || (!from_standard_input && !regular))
        return failed(copy_error::open_input, opened.ok() ? input.state(before) : opened);
    if (streams.standard.unexamined() != 0)
        return failed(copy_error::stream_unexamined);

    // Refused before anything is made, where the input's length is known.
    const std::uint32_t unit = size_unit_of(request.kind);
    std::optional<std::uint32_t> size = request.image_size;
    const bool size_asked = size.has_value();
    if (regular && !size && !(size = smallest_image_size(before.length, unit)))
        return input_too_long(before.length, 0, unit, size_asked);
    const std::uint64_t room = layout_of(size ? *size : largest_image_size(unit)).room();
    if (regular && before.length > room)
        return input_too_long(before.length, room, unit, size_asked);

    // Only a regular file, or a symbolic link, is replaced: never a device, a FIFO or a folder.
    file_type output_type{};
    if (const io_status s = file_type_of(request.output, output_type); !s.ok())
        return failed(copy_error::create, s);
    if (output_type != file_type::none && output_type != file_type::regular &&
        output_type != file_type::link)
        return failed(copy_error::not_replaceable, {}, static_cast<std::uint64_t>(output_type));

    if (const copy_result f = refuse_shared_names(request, from_standard_input);
        f.error != copy_error::none)
        return f;

    progress_line progress(request, streams.streams.err);
    new_file out(streams.streams.err_or_out());
    if (const copy_result f = out.create(request.output); f.error != copy_error::none)
        return f;
    std::uint64_t length = 0;
    std::uint32_t reg = crc_initial;
    image_header header{};
    digest_beside digest(request.digest, out.file);
    if (const copy_result f = copy_input(request, input, out, room, progress, digest, length, reg);
        f.error != copy_error::none)
        // A file found short enough that then reads longer grew while it was read.
        return f.error != copy_error::too_long ? f
               : regular                       ? failed(copy_error::input_changed)
                         : input_too_long(f.values[0], room, unit, size_asked);
    const image_layout layout = layout_of(size ? *size : *smallest_image_size(length, unit));

    copy_result made;
    if (const copy_result f = finish_image(request, out, length, layout, reg, header, digest);
        f.error != copy_error::none)
        return f;
    made.image_size = static_cast<std::uint32_t>(layout.size);
    made.crc = header_crc(header);
    if (const copy_result f = read_back(out, layout, made.crc, progress);
        f.error != copy_error::none)
        return f;
    if (const io_status s = out.file.sync(); !s.ok())
        return failed(copy_error::flush, s);
    if (request.digest)
        if (const io_status s = digest.finish(layout.size, made.sha256); !s.ok())
            return failed(copy_error::read_back, s);
    // The input as it was read, up to the moment the image is on storage: an input rewritten later
    // is newer than the image, which a build then makes again. Closed before the rename, which
    // Windows refuses over a file still open (the input may be the output).
    file_state after{};
    if (regular && (!input.state(after).ok() || after != before || length != before.length))
        return failed(copy_error::input_changed);
    if (const io_status s = input.close(); !s.ok())
        return failed(copy_error::read_input, s);
    // The record before the image: a run killed between the two leaves the old image, which the
    // next build makes again, never an image whose record is of another.
    if (request.record != nullptr)
        if (const copy_result f = write_record(request, made, out.warnings);
            f.error != copy_error::none)
            return f;
    if (const copy_result f = out.put_in_place(request.output); f.error != copy_error::none)
        return f;
    if (request.words != nullptr)
        if (const copy_result f = keep_words(request, out.warnings); f.error != copy_error::none)
            return f;
    progress.end();
    return made;
}

} // namespace corvane
