#pragma once

#include "io/image_file.h"

namespace corvane {

// Sets the standard streams up before the first byte is printed:
// - descriptors 0, 1 and 2 are made valid, so that the image can never be
//   opened as one of them; a closed one is opened on the null device, standard
//   output read-only, so that the report fails to arrive rather than vanish;
// - a closed pipe makes a write fail instead of ending the process;
// - the output of a standard stream that is a regular file is held in static
//   storage, large enough for everything a run prints before it knows its
//   image, so that none of it can reach the image before the run has made
//   sure, with standard_streams_on(), that the stream is not the image.
void prepare_standard_streams() noexcept;

// Which standard streams are the file in `image`, a bit each.
inline constexpr unsigned standard_output = 1;
inline constexpr unsigned standard_error = 2;
[[nodiscard]] unsigned standard_streams_on(const file_state& image) noexcept;

// Points the given streams at the null device; what was held for them goes
// there too.
void divert_to_null(unsigned streams) noexcept;

// Flushes standard output at the end of a run. A report that could not be
// written is a failure: "TOOL: standard output could not be written" goes to
// standard error and false comes back.
[[nodiscard]] bool finish_standard_output(const char* tool) noexcept;

} // namespace corvane
