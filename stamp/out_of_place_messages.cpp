#include <array>

#include "io/output.h"
#include "report/printable_name.h"
#include "stamp/new_file.h"
#include "stamp/out_of_place_messages.h"

namespace corvane {

namespace {

// What a failure says, and whether it is about the input (else the output; a standard stream that
// is one of them says which).
struct copy_text {
    const char* what = nullptr; // a printf format of the failure's values, or of the kind's words
    bool about_input = false;
};

constexpr std::size_t at(copy_error error) { return static_cast<std::size_t>(error); }

constexpr auto texts = [] {
    std::array<copy_text, at(copy_error::count)> t{};
    t[at(copy_error::standard_stream)] = {"is the standard output or standard error of this run"};
    t[at(copy_error::stream_unexamined)] = {""}; // the stream's own line says it
    t[at(copy_error::not_replaceable)] = {"is %s, which is never replaced"};
    t[at(copy_error::open_input)] = {"cannot open", true};
    t[at(copy_error::read_input)] = {"cannot read", true};
    t[at(copy_error::too_long)] = {
        "%llu bytes, longer than the %llu an image of that size holds before its header; -s %llu "
        "holds it",
        true};
    t[at(copy_error::too_long_for_any)] = {
        "%llu bytes or more, longer than the largest image holds before its header", true};
    t[at(copy_error::input_changed)] = {"changed while it was read", true};
    t[at(copy_error::create)] = {"cannot make a new file beside it"};
    t[at(copy_error::write)] = {"cannot write the new file"};
    t[at(copy_error::read_back)] = {"cannot read the new file back"};
    t[at(copy_error::read_back_differs)] = {
        "the new file reads back with CRC 0x%08llx, 0x%08llx written"};
    t[at(copy_error::flush)] = {"cannot flush the new file to storage"};
    t[at(copy_error::not_named_from_root)] = {
        "cannot be named from the root: the current folder is unknown, or the path too long"};
    t[at(copy_error::open_named)] = {"cannot open"};
    t[at(copy_error::read_named)] = {"cannot read"};
    t[at(copy_error::not_a_record)] = {"is not a record that corvane-stamp --record writes"};
    t[at(copy_error::not_a_list)] = {
        "is not a list of records: a name (of at most 4096 bytes, no NUL) a line"};
    t[at(copy_error::replace)] = {"cannot rename the new file over it"};
    t[at(copy_error::named_twice)] = {"is %s as well, which %s would replace"};
    t[at(copy_error::flush_folder)] = {"replaced, but its folder cannot be flushed to storage"};
    t[at(copy_error::close_after)] = {"replaced, but the new file cannot be closed"};
    return t;
}();
static_assert(
    [] {
        for (std::size_t e = at(copy_error::none) + 1; e < texts.size(); ++e)
            if (texts[e].what == nullptr)
                return false;
        return true;
    }(),
    "every failure has a text");

} // namespace

void report_out_of_place_failure(const copy_streams& streams, const copy_request& request,
                                 const copy_result& failure) noexcept
{
    const copy_text& text = texts[at(failure.error)];
    char what[160];
    if (failure.error == copy_error::not_replaceable)
        std::snprintf(what, sizeof what, text.what,
                      describe(static_cast<file_type>(failure.values[0])).data());
    else if (failure.error == copy_error::named_twice)
        std::snprintf(what, sizeof what, text.what, other_file_name(failure.values[1]),
                      own_file_name(failure.values[0]));
    else
        std::snprintf(what, sizeof what, text.what,
                      static_cast<unsigned long long>(failure.values[0]),
                      static_cast<unsigned long long>(failure.values[1]),
                      static_cast<unsigned long long>(failure.values[2] / 1024));
    const bool about_input =
        failure.error == copy_error::standard_stream ? failure.values[0] != 0 : text.about_input;
    char file[4 * 4096 + 1];
    const std::string_view named = printable_name(failure.about != nullptr ? failure.about
                                                  : about_input            ? request.input
                                                                           : request.output,
                                                  file);
    std::FILE* to = streams.streams.err_or_out();
    char words[256];
    const std::string_view why = describe(failure.cause, words);
    if (what[0] != '\0')
        print(to, "corvane-stamp: %.*s: %s%s%.*s\n", static_cast<int>(named.size()), named.data(),
              what, why.empty() ? "" : ": ", static_cast<int>(why.size()), why.data());
    say_unexamined(to, "corvane-stamp", streams.standard);
    say_maybe(to, "corvane-stamp", streams.maybe_input, printable_name(request.input, file));
    say_maybe(to, "corvane-stamp", streams.maybe_output, printable_name(request.output, file));
}

} // namespace corvane
