#include "stamp/in_place_messages.h"

#include <array>

#include "io/output.h"
#include "report/internal_check.h"

namespace corvane {

namespace {

// The tool's fixed texts, here and in the driver and the header report lines:
// build scripts and the people who read these logs match them byte for byte,
// so the misspellings ("closed failed", "when generate CRC", "devided"), the
// blanks before some line ends and the missing blanks after some commas stay
// exactly as they are. They must not be corrected.
constexpr const char* open_failed = "File open failed!\n";
constexpr const char* crc_close_failed = "File closed failed when generate CRC!\n";
constexpr const char* crc_read_failed = "File read failed when generate CRC!\n";

// The padded file measures the requested size.
constexpr internal_check padded_length = {"(ZT_U32)target_size==image_size", 114};

// A failure's text: a fixed line, a printf format of the failure's two values; or the internal
// check it is.
struct failure_text {
    const char* line = nullptr;
    const internal_check* check = nullptr;
};

constexpr std::size_t step_count = static_cast<std::size_t>(step::count);
constexpr std::size_t error_count = static_cast<std::size_t>(step_error::count);
using text_table = std::array<std::array<failure_text, error_count>, step_count>;

constexpr std::size_t at(auto value) { return static_cast<std::size_t>(value); }

constexpr text_table texts = [] {
    text_table table{};
    for (auto& t : table) { // what an error says at any step
        t[at(step_error::open)].line = open_failed;
        t[at(step_error::locked)].line = "File is locked by another process!\n";
        t[at(step_error::standard_stream)].line =
            "File is the standard output or standard error of this run!\n";
        t[at(step_error::stat)].line = "File stat failed!\n";
        t[at(step_error::changed)].line = "File changed by another process!\n";
        t[at(step_error::read)].line = "File read failed!\n";
        t[at(step_error::write)].line = "File write failed!\n";
        t[at(step_error::close)].line = "File closed failed!\n";
        // The image size fills the place the words call input size, and the input's length the
        // image size's, as the tool has always printed it.
        t[at(step_error::too_long)].line =
            "Error: input size [0x%llx] is too small,image size = 0x%llx\n";
        t[at(step_error::no_room)].line =
            "Error: image size [0x%llx] is too small to hold the header!\n";
        t[at(step_error::mismatch)].line = "File CRC verify failed!\norg CRC %llX, new CRC %llX\n";
        t[at(step_error::length_mismatch)].check = &padded_length;
    }
    // and where a step says it its own way
    table[at(step::pad)][at(step_error::open)].line = "File re-open failed!\n";
    table[at(step::checksum)][at(step_error::open)].line = "File open failed when generate CRC!\n";
    for (const step pass : {step::checksum, step::verify}) {
        table[at(pass)][at(step_error::close)].line = crc_close_failed;
        table[at(pass)][at(step_error::read)].line = crc_read_failed;
    }
    return table;
}();

// Every (step, error) pair has exactly one text, or an error added without one does not compile.
constexpr bool every_failure_has_a_text(const text_table& table)
{
    for (const auto& t : table)
        for (std::size_t e = at(step_error::none) + 1; e < error_count; ++e)
            if ((t[e].line == nullptr) == (t[e].check == nullptr))
                return false;
    return true;
}
static_assert(every_failure_has_a_text(texts));

} // namespace

stamp_result report_failure(const report_streams& streams, const char* file_name, step where,
                            const step_failure& failure) noexcept
{
    const failure_text& text = texts[at(where)][at(failure.error)];
    if (text.check != nullptr) {
        print_internal_check(streams, *text.check);
        return stamp_result::internal_check;
    }
    const auto first = static_cast<unsigned long long>(failure.values[0]);
    const auto second = static_cast<unsigned long long>(failure.values[1]);
    print(streams.out_or_err(), text.line, first, second);
    if (failure.cause.error != io_error::none && failure.cause.error != io_error::locked) {
        char words[256];
        const std::string_view why = describe(failure.cause, words);
        print(streams.err_or_out(), "corvane: %s: %.*s\n", file_name, static_cast<int>(why.size()),
              why.data());
    }
    return stamp_result::failed;
}

} // namespace corvane
