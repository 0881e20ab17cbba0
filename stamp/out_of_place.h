#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "image/image_header.h"
#include "image/image_kinds.h"
#include "io/image_file.h"
#include "io/standard_streams.h"

namespace corvane {

// What corvane-stamp is asked to make: OUTPUT, a stamped image, from INPUT, a raw one.
struct copy_request {
    const char* input = nullptr; // a file's name, or "-" for standard input
    const char* output = nullptr;
    const image_kind* kind = nullptr;
    image_version version{};
    std::optional<std::uint32_t> image_size; // in bytes; nothing: the smallest that holds the input
    std::uint16_t device_id{};
    const char* record =
        nullptr; // where to write the image's record (manifest_lines.h), if anywhere
    const char* words = nullptr; // where to keep the words as given (kept_words.h), if anywhere
    // The words as given, -t, -s, -v and -i, for `words`: null where not given.
    std::array<const char*, 4> given{};
    bool digest = false;   // compute the image's SHA-256 too (a record needs it)
    bool progress = false; // show the progress on standard error, once the run has lasted a second
};

// What can go wrong; each has one text (stamp/out_of_place_messages.cpp).
enum class copy_error : std::uint8_t {
    none,
    standard_stream,   // the input or the output is this run's standard output or error
    stream_unexamined, // a standard stream the system cannot describe may be either
    open_input,        // the input cannot be opened, or is not a file of stored bytes
    read_input,
    too_long,         // longer than the image holds before its header; values: length, room, and
                      // the smallest size that holds it
    too_long_for_any, // longer than the largest image holds before its header; values: length
    input_changed,    // the input moved while it was read
    not_replaceable,  // the output is neither a regular file nor a symbolic link; values: kind
    create,           // no new file can be made beside the output
    write,
    read_back,
    read_back_differs, // the file read back does not give the CRC written; values: read, written
    flush,
    // A record or a manifest (manifest_lines.h), or what they are made from:
    not_named_from_root, // the path from the root cannot be known, or is too long
    open_named,
    read_named,
    not_a_record, // values: none
    not_a_list,
    replace, // the new file cannot be renamed over the output
    // A file the run makes (values: its own_file, then the other_file of new_file.h) is one it
    // is made from or makes too, which it would replace:
    named_twice,
    // After the rename, when the output is the new image already:
    flush_folder, // the output's folder cannot be flushed to storage
    close_after,  // the new file cannot be closed
    count,
};

struct copy_result {
    copy_error error = copy_error::none;
    io_status cause{};
    std::uint64_t values[3] = {};
    // What was made:
    std::uint32_t image_size = 0;
    std::uint32_t crc = 0;
    std::array<std::uint8_t, 32> sha256{}; // where the request asked for it
    const char* about = nullptr; // the file a failure is about, where it is neither of the two
};

// Where a run's output may go: the standard streams that are not, and may not be, its input or
// its output, and why a stream is left out where that is a doubt.
struct copy_streams {
    report_streams streams;
    standard_stream_files standard;
    unsigned maybe_input = 0; // left out as they cannot be told apart from the input
    unsigned maybe_output = 0;
};

// Makes OUTPUT atomically: INPUT (only read) is copied into a new file beside OUTPUT, padded with
// 0xFF, given its header where its layout puts it, read back, which must give the CRC of the bytes
// written, flushed to storage, and only then renamed over OUTPUT, whose folder is flushed too.
// The bytes are those corvane makes of the same input and words. An input longer than the image
// holds before its header, or one that moves between the start of its reading and the moment the
// image is on storage, is refused, and so is an OUTPUT that stands for anything but a regular
// file or a symbolic link (which is replaced, not followed). After any failure OUTPUT is as it
// was (but for the failures after the rename), and the new file is gone; a run killed midway
// leaves OUTPUT as it was, and at most the new file beside it, which the next run for the same
// OUTPUT removes first. Progress goes to `streams.err`, and so does a warning for a new file, of
// this run or a killed one, that cannot be removed; nothing else is printed. Works in a buffer of
// static storage: one run at a time.
// `streams` is set first, to leave out a standard stream that is, or may be, the input or the
// output.
[[nodiscard]] copy_result stamp_out_of_place(const copy_request& request, copy_streams& streams);

} // namespace corvane
