#include "stamp/step_messages.h"
#include "io/output.h"

#include <cstddef>
#include <cstdio>
#include <iterator>

namespace corvane {

namespace {

// The tool's fixed texts, here and in the driver and the header report lines:
// build scripts and the people who read these logs match them byte for byte,
// so the misspellings ("closed failed", "when generate CRC", "devided"), the
// blanks before some line ends and the missing blanks after some commas stay
// exactly as they are. They must not be corrected.
struct step_texts {
    const char* open;
    const char* close;
    const char* read;
};

constexpr const char* open_failed = "File open failed!\n";
constexpr const char* close_failed = "File closed failed!\n";
constexpr const char* crc_close_failed = "File closed failed when generate CRC!\n";
constexpr const char* crc_read_failed = "File read failed when generate CRC!\n";

constexpr step_texts texts[] = {
    // In the order of `step`.
    {open_failed, close_failed, nullptr},                                         // claim
    {open_failed, close_failed, nullptr},                                         // measure
    {open_failed, close_failed, "File read failed!\n"},                           // old_header
    {"File re-open failed!\n", close_failed, nullptr},                            // pad
    {open_failed, close_failed, nullptr},                                         // measure_again
    {open_failed, close_failed, nullptr},                                         // first_header
    {"File open failed when generate CRC!\n", crc_close_failed, crc_read_failed}, // checksum
    {open_failed, crc_close_failed, crc_read_failed},                             // verify
    {open_failed, close_failed, nullptr},                                         // final_header
};
static_assert(std::size(texts) == static_cast<std::size_t>(step::final_header) + 1);

const char* text_of(step failed_step, step_error error)
{
    const step_texts& t = texts[static_cast<std::size_t>(failed_step)];
    switch (error) {
    case step_error::none:
    case step_error::mismatch:
        return nullptr;
    case step_error::open:
        return t.open;
    case step_error::close:
        return t.close;
    case step_error::read:
        return t.read;
    case step_error::locked:
        return "File is locked by another process!\n";
    case step_error::standard_stream:
        return "File is the standard output or standard error of this run!\n";
    case step_error::stat:
        return "File stat failed!\n";
    case step_error::changed:
        return "File changed by another process!\n";
    case step_error::write:
        return "File write failed!\n";
    }
    return nullptr;
}

} // namespace

bool report_step_error(step failed_step, step_error error)
{
    if (error == step_error::none)
        return false;
    if (const char* text = text_of(failed_step, error)) {
        put(stdout, text);
        // Standard output may be the image, and so pointed at the null device.
        if (error == step_error::standard_stream)
            put(stderr, text);
    }
    return true;
}

} // namespace corvane
