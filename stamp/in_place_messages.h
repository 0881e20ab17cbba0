#pragma once

#include <cstddef>
#include <cstdint>

#include "io/image_file.h"
#include "io/standard_streams.h"

namespace corvane {

// The steps of a stamping run, in their order, and what can go wrong in one.
enum class step : std::uint8_t {
    claim,         // open the image, make sure it is not a standard stream, lock it
    measure,       // its length as found, which must leave room for the header
    old_header,    // what the header will stand on: a header already there, or input bytes
    pad,           // 0xFF up to the image size
    measure_again, // the padded length
    first_header,  // the header, CRC 0
    checksum,      // the first checksum pass
    verify,        // the second pass, which must agree with the first
    final_header,  // the header with its CRC, on storage
    count,         // how many steps there are: the rows of the failure texts' table
};

enum class step_error : std::uint8_t {
    none,
    open,            // the image could not be opened
    locked,          // another process holds the image's lock
    standard_stream, // the image is this run's standard output or standard error
    stat,            // the image's state could not be read
    changed,         // it is not the file, or not in the state, the run left it in
    read,
    write, // a write, or flushing it to storage, failed
    close,
    too_long,        // longer than the image size; values: the image size, the length
    no_room,         // an image size of 0 and an empty file; values: the image size
    mismatch,        // the two checksum passes disagree; values: the first word, the second
    length_mismatch, // the padded file does not measure the image size: an internal check
    count,           // how many errors there are: the columns of the failure texts' table
};

// What went wrong in a step: none, or the error with what the system or the file said of it, and
// the numbers its message shows.
struct step_failure {
    step_error error = step_error::none;
    io_status cause{};
    std::uint64_t values[2] = {};

    explicit operator bool() const noexcept { return error != step_error::none; }
};

enum class stamp_result {
    stamped,        // the image carries the header with its checksum, on storage
    failed,         // a step failed, and has said so
    internal_check, // an internal check failed, and has said so
};

// The one place a failure is said. The fixed text of (step, error) goes to standard output, or an
// internal check's line to standard error; then, where the system or the file said why, one line
// "corvane: FILE: REASON" to standard error. Nothing goes to a stream that is, or may be, the
// image: a line meant for a stream left out goes to the other one. Returns how the run ends.
[[nodiscard]] stamp_result report_failure(const report_streams& streams, const char* file_name,
                                          step where, const step_failure& failure) noexcept;

} // namespace corvane
