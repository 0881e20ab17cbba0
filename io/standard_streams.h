#pragma once

#include <cstdio>

#include "io/image_file.h"

namespace corvane {

// Sets the standard streams up before the first byte is printed:
// - the image can never be opened as one of them, and a closed standard output makes the report
//   fail to arrive rather than vanish (descriptors 0, 1 and 2 are made valid on POSIX);
// - a closed pipe, or a limit on a file's size, makes a write fail instead of ending the process;
// - the report's bytes are those of every platform: no text-mode line ends.
// Where that cannot be done, says so on standard error as "TOOL: ..." and returns false.
[[nodiscard]] bool prepare_standard_streams(const char* tool) noexcept;

// Which standard streams are a file the run works on, a bit each.
inline constexpr unsigned standard_output = 1;
inline constexpr unsigned standard_error = 2;

// What standard output and standard error are, looked at once a run.
struct standard_stream_files {
    struct stream {
        bool described = false; // the system said what the stream is
        bool regular = false;   // a regular file, `identity` says which
        file_identity identity;
    };
    stream out, err;
};
[[nodiscard]] standard_stream_files describe_standard_streams() noexcept;

// The standard streams that are, or may be, the file `name` names: each regular file among them
// is compared with the file as it was opened (`opened`, where it was) and with what the name
// stands for now, which needs no permission to read it (and is looked up only where a stream is
// a regular file). A doubt counts as the file: a stream the system cannot describe, or any
// regular file when the name can be neither opened nor looked up.
[[nodiscard]] unsigned streams_on_file(const standard_stream_files& streams, const char* name,
                                       const file_identity* opened) noexcept;

// Where a run's output goes: standard output and standard error, each null where it is a file the
// run works on (output.h drops what is written to a null stream).
struct report_streams {
    std::FILE* out = stdout;
    std::FILE* err = stderr;
};
[[nodiscard]] report_streams streams_apart_from(unsigned file_streams) noexcept;

// Whether the stream is a terminal (a console), which a person may be watching.
[[nodiscard]] bool is_terminal(std::FILE* stream) noexcept;

// Ends a run's output: flushes standard output. A report that could not be written is a failure:
// "TOOL: standard output could not be written" goes to standard error and false comes back.
[[nodiscard]] bool finish_standard_output(const char* tool, const report_streams& streams) noexcept;

} // namespace corvane
