#include "stamp/in_place.h"

#include <algorithm>
#include <cstdio>
#include <span>

#include "io/crc_pass.h"
#include "io/output.h"
#include "report/header_text.h"

namespace corvane {

namespace {

// The checksum passes read through it and the padding is written from it.
crc_buffer work_buffer;

step_failure failed(step_error error, io_status cause = {}) { return {error, cause, {}}; }

// The file must be the one the run claimed, in the state its last step left
// it: when a step opens it, and after a step that only read.
step_failure unchanged(const held_image& image, const image_file& file)
{
    file_state now;
    if (const io_status s = file.state(now); !s.ok())
        return failed(step_error::stat, s);
    return now == image.state ? step_failure{} : failed(step_error::changed);
}

// Every step opens the image afresh by its name and closes it at its end, as
// the image's steps always have: each finds the file that stands under the
// name now, so that one replaced or changed between two steps is seen to be
// another, or in another state, before the step writes to it. The steps that
// only read open it for update where they always have (the old header, the
// checksum passes): a file that cannot be written fails there, with the
// message scripts have long seen for it.
step_failure reopen(const held_image& image, image_file& file, open_mode mode)
{
    if (const io_status s = file.open(image.file_name, mode); !s.ok())
        return failed(step_error::open, s);
    return unchanged(image, file);
}

// A step that wrote notes the state it leaves, which the next step must find.
step_failure note_state(held_image& image, const image_file& file)
{
    const io_status s = file.state(image.state);
    return s.ok() ? step_failure{} : failed(step_error::stat, s);
}

step_failure close(image_file& file)
{
    const io_status s = file.close();
    return s.ok() ? step_failure{} : failed(step_error::close, s);
}

// A step that only read leaves the file as it found it, and closes it.
step_failure end_of_reading(const held_image& image, image_file& file)
{
    if (const step_failure f = unchanged(image, file))
        return f;
    return close(file);
}

// The length as found, which must leave room for the header: a file longer
// than the image is not cut, and an image too small for its header has none
// (the image size 0 lets only an empty file this far).
step_failure measure(const held_image& image, const image_layout& layout, std::uint64_t& length)
{
    image_file file;
    if (const step_failure f = reopen(image, file, open_mode::read))
        return f;
    length = image.state.length;
    if (const step_failure f = close(file))
        return f;
    if (length > layout.size)
        return {step_error::too_long, {}, {layout.size, length}};
    if (!layout.holds_header())
        return {step_error::no_room, {}, {layout.size, 0}};
    return {};
}

// What the header will stand on, where that is input: a header already there,
// in a file of the image size, is shown (it is not reused, and its CRC is not
// checked: every field of the new one comes from the command line); other
// input bytes under it that hold data, being neither erased flash (0xFF) nor
// zeros, are named in a warning, as the header replaces them. Opened for update
// when the file is the image size, so that a file that cannot be written fails
// here, before any byte moves; else read only, so that such a file still fails
// at the padding.
step_failure look_under_header(const held_image& image, const report_streams& streams,
                               const image_layout& layout)
{
    const std::uint64_t from = layout.header_at;
    const auto count =
        static_cast<std::size_t>(std::min(image.state.length, layout.tail_at) - from);
    const bool image_size_already = image.state.length == layout.size;
    image_header under{};
    const std::span bytes(under.bytes.data(), count);
    image_file file;
    if (const step_failure f =
            reopen(image, file, image_size_already ? open_mode::update : open_mode::read))
        return f;
    if (const io_status s = file.read_at(from, bytes); !s.ok())
        return failed(step_error::read, s);
    if (const step_failure f = end_of_reading(image, file))
        return f;
    if (image_size_already && has_signature(under)) {
        put(streams.out, "Attention: the image already has header, but still modify the header!\n");
        put(streams.out, "********** original header print start **********\n");
        print_image_header(streams.out, under);
        put(streams.out, "********** original header print end **********\n");
    } else if (header_replaces_data(bytes)) {
        print(streams.err,
              "corvane: warning: %s: the header replaces %u bytes of the input at 0x%llX\n",
              image.file_name, static_cast<unsigned>(count), static_cast<unsigned long long>(from));
    }
    return {};
}

// Appends 0xFF up to the image size, a whole buffer at a time, at offsets
// counted from the length the run measured rather than at whatever end the
// file has: a writer that ignores the lock and appends meanwhile leaves a
// file longer than the image size, which is refused, instead of an image
// that hides its bytes. Opened for update even when nothing is to be
// appended, so that an append-only file fails here before any byte moves.
step_failure pad(held_image& image, std::uint64_t image_size)
{
    image_file file;
    if (const step_failure f = reopen(image, file, open_mode::update))
        return f;
    work_buffer.fill(0xFF);
    for (std::uint64_t at = image.state.length; at < image_size;) {
        const auto n =
            static_cast<std::size_t>(std::min<std::uint64_t>(image_size - at, work_buffer.size()));
        if (const io_status s = file.write_at(at, std::span(work_buffer.data(), n)); !s.ok())
            return failed(step_error::write, s);
        at += n;
    }
    if (const step_failure f = note_state(image, file))
        return f;
    if (image.state.length != image_size)
        return failed(step_error::changed);
    return close(file);
}

step_failure measure_again(const held_image& image, const report_streams& streams,
                           std::uint64_t& target_size)
{
    image_file file;
    if (const step_failure f = reopen(image, file, open_mode::read))
        return f;
    target_size = image.state.length;
    print(streams.out, "File target_size %llX\n", static_cast<unsigned long long>(target_size));
    return close(file);
}

step_failure write_header(held_image& image, const image_header& header, bool last)
{
    image_file file;
    if (const step_failure f = reopen(image, file, open_mode::update))
        return f;
    if (const io_status s = file.write_at(layout_of(image.state.length).header_at, header.bytes);
        !s.ok())
        return failed(step_error::write, s);
    // The last write is not done until the image is on storage: a run that
    // says it stamped the image must not lose it to a power cut.
    if (last)
        if (const io_status s = file.sync(); !s.ok())
            return failed(step_error::write, s);
    if (!last)
        if (const step_failure f = note_state(image, file))
            return f;
    return close(file);
}

// One checksum pass, the file left open for the step's end.
step_failure read_pass(const held_image& image, image_file& file, std::uint32_t& word)
{
    if (const step_failure f = reopen(image, file, open_mode::update))
        return f;
    const io_status s = image_crc_pass(file, layout_of(image.state.length), work_buffer, word);
    return s.ok() ? step_failure{} : failed(step_error::read, s);
}

} // namespace

streams_on leave_out_image_streams(const char* file_name, run_output& output,
                                   const file_identity* opened) noexcept
{
    output.standard = describe_standard_streams();
    const streams_on on = streams_on_file(output.standard, file_name, opened);
    output.maybe = on.maybe;
    output.streams = streams_apart_from(on.left_out() | output.standard.unexamined());
    return on;
}

step_failure claim_image(held_image& image, run_output& output) noexcept
{
    const io_status opened = image.claim.open(image.file_name, open_mode::read);
    file_state found;
    const bool identified = opened.ok() && image.claim.state(found).ok();
    const streams_on on =
        leave_out_image_streams(image.file_name, output, identified ? &found.identity : nullptr);
    // A stream that is the image; else why the image cannot be opened (a name that cannot be
    // looked up either leaves the only other doubt); else a stream that may be any file.
    if (on.same != 0)
        return failed(step_error::standard_stream);
    if (!opened.ok())
        return failed(step_error::open, opened);
    if (output.standard.unexamined() != 0)
        return failed(step_error::standard_stream);
    if (const io_status locked = image.claim.lock(lock_mode::exclusive); !locked.ok())
        return failed(locked.error == io_error::locked ? step_error::locked : step_error::open,
                      locked);
    const io_status s = image.claim.state(image.state);
    return s.ok() ? step_failure{} : failed(step_error::stat, s);
}

stamp_result stamp_in_place(held_image& image, const run_output& output,
                            const step_failure& claimed, std::uint32_t image_size,
                            image_header& header)
{
    stamp_result result = stamp_result::stamped;
    const auto done = [&image, &output, &result](step where, const step_failure& failure) {
        if (failure)
            result = report_failure(output.streams, image.file_name, where, failure);
        return !failure;
    };

    if (!done(step::claim, claimed)) {
        std::FILE* to = output.streams.err_or_out();
        say_unexamined(to, "corvane", output.standard);
        say_maybe(to, "corvane", output.maybe, image.file_name);
        return result;
    }
    const image_layout layout = layout_of(image_size);
    std::uint64_t input_length = 0;
    if (!done(step::measure, measure(image, layout, input_length)))
        return result;
    if (input_length > layout.room() &&
        !done(step::old_header, look_under_header(image, output.streams, layout)))
        return result;

    std::uint64_t target_size = 0;
    if (!done(step::pad, pad(image, image_size)) ||
        !done(step::measure_again, measure_again(image, output.streams, target_size)) ||
        !done(step::measure_again,
              target_size == image_size ? step_failure{} : failed(step_error::length_mismatch)) ||
        !done(step::first_header, write_header(image, header, false)))
        return result;

    // Two passes, which must agree: the second guards against a file that
    // changed, or was read wrongly, during the first. A disagreement is said at
    // once, and fails the run, so that the header keeps CRC 0, which the
    // controller rejects; the step still makes sure the file is unchanged, and
    // closes it, either of which can fail on its own.
    std::uint32_t first = 0;
    std::uint32_t word = 0;
    image_file pass;
    if (!done(step::checksum, read_pass(image, pass, first)))
        return result;
    print(output.streams.out, "image CRC generated,crc =%X\n", unsigned{first});
    if (!done(step::checksum, end_of_reading(image, pass)) ||
        !done(step::verify, read_pass(image, pass, word)))
        return result;
    const bool agree =
        done(step::verify, word == first ? step_failure{}
                                         : step_failure{step_error::mismatch, {}, {first, word}});
    if (!done(step::verify, end_of_reading(image, pass)) || !agree)
        return result;

    set_header_crc(header, word);
    if (!done(step::final_header, write_header(image, header, true)))
        return result;
    print(output.streams.out, "%s image create header succeed!\n", image.file_name);
    print_image_header(output.streams.out, header);
    return stamp_result::stamped;
}

} // namespace corvane
