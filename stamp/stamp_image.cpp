#include "stamp/stamp_image.h"

#include <algorithm>
#include <cstdio>
#include <span>

#include "io/crc_pass.h"
#include "io/image_file.h"
#include "io/output.h"
#include "io/standard_streams.h"
#include "report/header_text.h"
#include "stamp/step_messages.h"

namespace corvane {

namespace {

// The checksum passes read through it and the padding is written from it.
crc_buffer work_buffer;

// The image as the run's steps share it: its name, and the state its last
// step left it in.
struct image_run {
    const char* file_name;
    file_state state;
};

// The file must be the one the run claimed, in the state its last step left
// it: when a step opens it, and after a step that only read.
step_error unchanged(const image_run& run, const image_file& file)
{
    file_state now;
    if (!file.state(now).ok())
        return step_error::stat;
    return now == run.state ? step_error::none : step_error::changed;
}

// Opens the image afresh for one step.
step_error reopen(const image_run& run, image_file& file, open_mode mode)
{
    return file.open(run.file_name, mode).ok() ? unchanged(run, file) : step_error::open;
}

// A step that wrote notes the state it leaves, which the next step must find.
step_error note_state(image_run& run, const image_file& file)
{
    return file.state(run.state).ok() ? step_error::none : step_error::stat;
}

step_error close(image_file& file)
{
    return file.close().ok() ? step_error::none : step_error::close;
}

// Opens the image for the whole run and locks it, so that no other run
// stamps it meanwhile; the lock comes first, then the state the later steps
// are held to. Nothing of the report may reach the image: a standard stream
// that is the image is pointed at the null device with what was held for it.
step_error claim_image(image_run& run, image_file& claim)
{
    if (!claim.open(run.file_name, open_mode::read).ok())
        return step_error::open;
    if (!claim.state(run.state).ok())
        return step_error::stat;
    const unsigned streams = standard_streams_on(run.state);
    release_standard_streams(streams);
    if (streams != 0)
        return step_error::standard_stream;
    if (const io_status locked = claim.lock(lock_mode::exclusive); !locked.ok())
        return locked.error == io_error::locked ? step_error::locked : step_error::open;
    return claim.state(run.state).ok() ? step_error::none : step_error::stat;
}

step_error measure(const image_run& run, std::uint64_t& length)
{
    image_file file;
    if (const step_error e = reopen(run, file, open_mode::read); e != step_error::none)
        return e;
    length = run.state.length;
    return close(file);
}

// Shows a header already at the end of a file of exactly the image size. It
// is only shown: every field of the new one comes from the command line, and
// its CRC is not checked against the file.
step_error report_old_header(const image_run& run)
{
    image_header temp_image_header{};
    image_file file;
    if (const step_error e = reopen(run, file, open_mode::update); e != step_error::none)
        return e;
    if (!file.read_at(run.state.length - header_distance_from_end, temp_image_header.bytes).ok())
        return step_error::read;
    if (const step_error e = unchanged(run, file); e != step_error::none)
        return e;
    if (const step_error e = close(file); e != step_error::none)
        return e;
    if (has_signature(temp_image_header)) {
        put(stdout, "Attention: the image already has header, but still modify the header!\n");
        put(stdout, "********** original header print start **********\n");
        print_image_header(stdout, temp_image_header);
        put(stdout, "********** original header print end **********\n");
    }
    return step_error::none;
}

// Appends 0xFF up to the image size, a whole buffer at a time, at offsets
// counted from the length the run measured rather than at whatever end the
// file has: a writer that ignores the lock and appends meanwhile leaves a
// file longer than the image size, which is refused, instead of an image
// that hides its bytes. Opened for update even when nothing is to be
// appended, so that an append-only file fails here before any byte moves.
step_error pad(image_run& run, std::uint64_t image_size)
{
    image_file file;
    if (const step_error e = reopen(run, file, open_mode::update); e != step_error::none)
        return e;
    work_buffer.fill(0xFF);
    for (std::uint64_t at = run.state.length; at < image_size;) {
        const auto n =
            static_cast<std::size_t>(std::min<std::uint64_t>(image_size - at, work_buffer.size()));
        if (!file.write_at(at, std::span(work_buffer.data(), n)).ok())
            return step_error::write;
        at += n;
    }
    if (const step_error e = note_state(run, file); e != step_error::none)
        return e;
    if (run.state.length != image_size)
        return step_error::changed;
    return close(file);
}

step_error measure_again(const image_run& run, std::uint64_t& target_size)
{
    image_file file;
    if (const step_error e = reopen(run, file, open_mode::read); e != step_error::none)
        return e;
    target_size = run.state.length;
    print(stdout, "File target_size %llX\n", static_cast<unsigned long long>(target_size));
    return close(file);
}

step_error write_header(image_run& run, const image_header& header, bool last)
{
    image_file file;
    if (const step_error e = reopen(run, file, open_mode::update); e != step_error::none)
        return e;
    if (!file.write_at(run.state.length - header_distance_from_end, header.bytes).ok())
        return step_error::write;
    // The last write is not done until the image is on storage: a run that
    // says it stamped the image must not lose it to a power cut.
    if (last && !file.sync().ok())
        return step_error::write;
    if (!last)
        if (const step_error e = note_state(run, file); e != step_error::none)
            return e;
    return close(file);
}

// One checksum pass. The second guards against a file that changed, or was
// read wrongly, during the first: when they disagree the run fails, so that
// the header keeps CRC 0, which the controller rejects.
step_error checksum_pass(const image_run& run, std::uint32_t& word, const std::uint32_t* first)
{
    image_file file;
    if (const step_error e = reopen(run, file, open_mode::update); e != step_error::none)
        return e;
    if (!image_crc_pass(file, run.state.length, work_buffer, word).ok())
        return step_error::read;
    const bool agree = first == nullptr || *first == word;
    if (first == nullptr) {
        print(stdout, "image CRC generated,crc =%X\n", unsigned{word});
    } else if (!agree) {
        put(stdout, "File CRC verify failed!\n");
        print(stdout, "org CRC %X, new CRC %X\n", unsigned{*first}, unsigned{word});
    }
    if (const step_error e = unchanged(run, file); e != step_error::none)
        return e;
    if (const step_error e = close(file); e != step_error::none)
        return e;
    return agree ? step_error::none : step_error::mismatch;
}

} // namespace

stamp_result stamp_image(const char* file_name, std::uint32_t image_size, image_header& header)
{
    constexpr stamp_result failed = stamp_result::failed;
    image_run run{file_name, {}};
    image_file claim; // held, with its lock, to the end of the run

    std::uint64_t input_length = 0;
    if (report_step_error(step::claim, claim_image(run, claim)) ||
        report_step_error(step::measure, measure(run, input_length)))
        return failed;

    if (input_length > image_size) {
        print(stdout, "Error: input size [0x%x] is too small,image size = 0x%llx\n",
              unsigned{image_size}, static_cast<unsigned long long>(input_length));
        return failed;
    }
    // Only an empty file gets this far with size 0, and a header cannot be
    // placed 72 bytes before the start of a file.
    if (image_size < header_distance_from_end) {
        print(stdout, "Error: image size [0x%x] is too small to hold the header!\n",
              unsigned{image_size});
        return failed;
    }
    if (input_length == image_size && report_step_error(step::old_header, report_old_header(run)))
        return failed;

    std::uint64_t target_size = 0;
    if (report_step_error(step::pad, pad(run, image_size)) ||
        report_step_error(step::measure_again, measure_again(run, target_size)))
        return failed;
    if (target_size != image_size)
        return stamp_result::length_mismatch;

    std::uint32_t first = 0;
    std::uint32_t word = 0;
    if (report_step_error(step::first_header, write_header(run, header, false)) ||
        report_step_error(step::checksum, checksum_pass(run, first, nullptr)) ||
        report_step_error(step::verify, checksum_pass(run, word, &first)))
        return failed;

    set_header_crc(header, word);
    if (report_step_error(step::final_header, write_header(run, header, true)))
        return failed;

    print(stdout, "%s image create header succeed!\n", file_name);
    print_image_header(stdout, header);
    return stamp_result::stamped;
}

} // namespace corvane
