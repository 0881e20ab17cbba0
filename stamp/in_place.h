#pragma once

#include <cstdint>

#include "image/image_header.h"
#include "io/image_file.h"
#include "io/standard_streams.h"
#include "stamp/in_place_messages.h"

namespace corvane {

// The image as a run holds it: its name, the descriptor that holds it, with its lock, to the run's
// end, and the state the last step that wrote left it in, which every later step must find. The
// steps that write note the state they leave; nothing else of it changes once it is claimed.
struct held_image {
    const char* file_name = nullptr;
    image_file claim;
    file_state state{};
};

// Where a run's output goes, decided once, before anything is printed, and not changed after: the
// streams that are not, and may not be, the image, what the standard streams are, and which of
// them were left out as they cannot be told apart from the image.
struct run_output {
    report_streams streams{};
    standard_stream_files standard{};
    unsigned maybe = 0;
};

// Decides which standard streams are, or may be, the image `file_name`, and leaves them out of
// `output.streams`: a run refused before its claim says nothing into the image either.
streams_on leave_out_image_streams(const char* file_name, run_output& output,
                                   const file_identity* opened = nullptr) noexcept;

// Claims the image before anything of the run is printed: opens it, decides which standard
// streams are the image (by the open file and by the name; `output` leaves them out), locks it
// against other runs, and only then notes the state the later steps are held to. Prints nothing;
// stamp_in_place says how it failed.
[[nodiscard]] step_failure claim_image(held_image& image, run_output& output) noexcept;

// Turns the claimed image into a stamped image of `image_size` bytes with the header the caller
// built (CRC 0): measures it, reports a header already at its end, pads it with 0xFF, writes the
// header where the image's layout puts it, checksums it twice, writes the header again with the
// checksum, flushes it to storage and prints the result. A claim that failed is said first, and
// ends it. Every step opens the file afresh, checks that it is the same file in the state the run
// left it, and closes it, checking the close. The first failure ends the sequence; the file keeps
// whatever state it had reached. Works in a buffer of static storage: one run at a time.
[[nodiscard]] stamp_result stamp_in_place(held_image& image, const run_output& output,
                                          const step_failure& claimed, std::uint32_t image_size,
                                          image_header& header);

} // namespace corvane
