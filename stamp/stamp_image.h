#pragma once

#include <cstdint>

#include "image/image_header.h"
#include "io/image_file.h"
#include "io/standard_streams.h"
#include "stamp/step_messages.h"

namespace corvane {

// The image as the steps of one run share it: its name, the descriptor the run holds it by, with
// its lock, to its end, the state its last step left it in, and where the run's output goes.
struct image_run {
    const char* file_name = nullptr;
    image_file claim;
    file_state state{};
    report_streams streams{};
    standard_stream_files standard{}; // what the standard streams are
    unsigned maybe = 0; // streams left out as they cannot be told apart from the image
};

// Decides which standard streams are, or may be, the image the run names, and leaves them out of
// `run.streams`: a run refused before its claim says nothing into the image either.
streams_on leave_out_image_streams(image_run& run, const file_identity* opened = nullptr) noexcept;

// Claims the image before anything of the run is printed: opens it, decides which standard
// streams are the image (by the open file and by the name; `run.streams` leaves them out), locks
// it against other runs, and only then notes the state the later steps are held to. Prints
// nothing; stamp_image says how it failed.
[[nodiscard]] step_failure claim_image(image_run& run) noexcept;

// Turns the claimed image into a stamped image of `image_size` bytes with the
// header the caller built (CRC 0): measures it, reports a header already at
// its end, pads it with 0xFF, writes the header where the image's layout puts
// it, checksums it twice, writes the header again with the checksum, flushes it
// to storage and prints the result. A claim that failed is said first, and ends it.
// Every step opens the file afresh, checks that it is the same file in the state the run left it,
// and closes it, checking the close. The first failure ends the sequence; the file keeps whatever
// state it had reached. Works in a buffer of static storage: one run at a time.
[[nodiscard]] stamp_result stamp_image(image_run& run, const step_failure& claimed,
                                       std::uint32_t image_size, image_header& header);

} // namespace corvane
