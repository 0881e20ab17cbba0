#pragma once

#include <cstdio>
#include <string_view>

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
        io_status described;  // what the system said when asked what the stream is
        bool regular = false; // a regular file, `identity` says which
        file_identity identity;
    };
    stream out, err;

    // The streams the system could not describe, which may be any file, a bit each.
    [[nodiscard]] unsigned unexamined() const noexcept;
};
[[nodiscard]] standard_stream_files describe_standard_streams() noexcept;

// The standard streams that are, or may be, the file `name` names, a bit each. Each regular file
// among them is compared with the file as it was opened (`opened`, where it was) and with what the
// name stands for now, which needs no permission to read it (and is looked up only where a stream
// is a regular file). A name that stands for nothing the system can reach (missing, a loop of
// symbolic links, too long to resolve) is no file at all.
struct streams_on {
    unsigned same = 0;  // the file itself
    unsigned maybe = 0; // regular files that cannot be told apart from it: the name can be
                        // neither opened nor looked up (a folder that may not be searched)

    // The streams a run leaves out for the file: those that are it, or may be.
    [[nodiscard]] unsigned left_out() const noexcept { return same | maybe; }
};
[[nodiscard]] streams_on streams_on_file(const standard_stream_files& streams, const char* name,
                                         const file_identity* opened) noexcept;

// Where a run's output goes: standard output and standard error, each null where it is, or may be,
// a file the run works on (output.h drops what is written to a null stream).
struct report_streams {
    std::FILE* out = stdout;
    std::FILE* err = stderr;

    // Where a line that belongs on one of them goes when that one is left out: the other, so that
    // every failure is said somewhere a stream can be.
    [[nodiscard]] std::FILE* out_or_err() const noexcept { return out != nullptr ? out : err; }
    [[nodiscard]] std::FILE* err_or_out() const noexcept { return err != nullptr ? err : out; }
};
[[nodiscard]] report_streams streams_apart_from(unsigned file_streams) noexcept;

// Why streams get nothing where that is a doubt rather than a fact, each a line on `to`:
// "TOOL: standard output gets nothing: it cannot be examined: REASON" for each stream the system
// could not describe, and "TOOL: NAME: may be standard error, which gets nothing" for each of
// `maybe`, where NAME (as it may be printed) cannot be looked up.
void say_unexamined(std::FILE* to, const char* tool, const standard_stream_files& files) noexcept;
void say_maybe(std::FILE* to, const char* tool, unsigned maybe, std::string_view name) noexcept;

// Whether the stream is a terminal (a console), which a person may be watching.
[[nodiscard]] bool is_terminal(std::FILE* stream) noexcept;

// Ends a run's output: flushes standard output. A report that could not be written is a failure:
// "TOOL: standard output could not be written" goes to standard error and false comes back.
[[nodiscard]] bool finish_standard_output(const char* tool, const report_streams& streams) noexcept;

} // namespace corvane
