#pragma once

#include "io/image_file.h"

namespace corvane {

// Sets the standard streams up before the first byte is printed:
// - the image can never be opened as one of them, and a closed standard output makes the report
//   fail to arrive rather than vanish (descriptors 0, 1 and 2 are made valid on POSIX);
// - a closed pipe makes a write fail instead of ending the process;
// - the report's bytes are those of every platform: no text-mode line ends;
// - the output of a stream that is a regular file is held (output.h), so that none of it can
//   reach the image before release_standard_streams() has been told which streams are the image.
void prepare_standard_streams() noexcept;

// Which standard streams are the file in `image`, a bit each.
inline constexpr unsigned standard_output = 1;
inline constexpr unsigned standard_error = 2;
[[nodiscard]] unsigned standard_streams_on(const file_state& image) noexcept;

// Points the streams that are the image at the null device, dropping what was held for them, and
// lets out what was held for the others.
void release_standard_streams(unsigned image_streams) noexcept;

// Ends a run's output: lets out what is still held and flushes standard output. A report that
// could not be written is a failure: "TOOL: standard output could not be written" goes to
// standard error and false comes back.
[[nodiscard]] bool finish_standard_output(const char* tool) noexcept;

} // namespace corvane
