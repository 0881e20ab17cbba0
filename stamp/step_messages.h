#pragma once

#include <cstdint>

namespace corvane {

// The steps of a stamping run, in their order, and what can go wrong in one.
enum class step : std::uint8_t {
    claim,         // open the image, make sure it is not a standard stream, lock it
    measure,       // its length as found
    old_header,    // a header already at its end, when it is the image size
    pad,           // 0xFF up to the image size
    measure_again, // the padded length
    first_header,  // the header, CRC 0
    checksum,      // the first checksum pass
    verify,        // the second pass, which must agree with the first
    final_header,  // the header with its CRC, on storage
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
    mismatch, // the two checksum passes disagree; the step has said so
};

// Prints the fixed text of a step's error on standard output (the standard
// stream error on standard error too). Returns true when there was an error.
bool report_step_error(step failed_step, step_error error);

} // namespace corvane
