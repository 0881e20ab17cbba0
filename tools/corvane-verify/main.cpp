#include <exception>
#include <new>

#include "io/entry.h"
#include "io/output.h"
#include "io/standard_streams.h"
#include "report/verify_json.h"
#include "report/verify_text.h"
#include "tools/corvane-verify/exit_status.h"
#include "tools/corvane-verify/manifest.h"
#include "tools/corvane-verify/options.h"
#include "verify/verify_run.h"

namespace {

using namespace corvane;

// Every file is checked before a byte of the report is printed (verify/verify_run.h); then the
// reports, and a status for the whole run: a file that could not be read wins over an invalid one.
// The images a manifest lists get a line each, unless the full reports are asked for; with
// --quiet, the lines of those that are not OK, and nothing else.
int check(const verify_options& options, report_streams& streams)
{
    std::vector<listed_image> listed;
    if (options.manifest != nullptr) {
        std::string refusal;
        listed = read_manifest(options.manifest, refusal);
        if (!refusal.empty()) {
            put(stderr, refusal);
            return exit_not_checked;
        }
    }
    std::vector<file_to_check> files;
    for (const listed_image& image : listed)
        files.push_back({image.path, image.expected});
    for (const char* name : options.files)
        files.push_back({name, options.expected});
    const verify_run run = check_files(files);
    streams = run.streams;
    const bool json = options.json && !options.quiet;
    const bool text = !options.quiet && !json;
    // Why a file could not be read, or why a stream gets nothing: on standard error, or, in a text
    // report, on standard output where standard error is left out. A JSON report holds the former.
    std::FILE* said = options.quiet ? nullptr : text ? streams.err_or_out() : streams.err;
    say_unexamined(said, "corvane-verify", run.standard);
    int status = exit_all_valid;
    file_count count{static_cast<unsigned>(run.files.size()), 0, 0};
    bool shown = false; // a line of the report is out
    for (std::size_t i = 0; i < run.files.size(); ++i) {
        const checked_file& file = run.files[i];
        const bool read = file.check.read, valid = read && file.check.verdict.valid();
        if (!read)
            status = exit_not_checked;
        else if (!valid && status == exit_all_valid)
            status = exit_some_invalid;
        if (read)
            ++(valid ? count.valid : count.invalid);
        if (i < listed.size() && !options.full && !json) {
            if (!options.quiet || !valid)
                print_listing_line(streams.out_or_err(), file);
            shown = shown || !options.quiet || !valid;
            continue;
        }
        if (!read) {
            print_unchecked(said, file);
            continue;
        }
        if (text && shown)
            put(streams.out, "\n");
        if (text)
            print_text_report(streams.out, file);
        shown = shown || text;
    }
    if (json)
        print_json_report(streams.out, run.files);
    // A run over several files ends with its count, for a reader of a long report.
    if (text && count.files > 1)
        print_count_line(streams.out, count, shown);
    // A report that never arrived is a check that was not done.
    return streams.out == nullptr && !options.quiet ? exit_not_checked : status;
}

int run_checker(int argc, char* argv[])
{
    if (!prepare_standard_streams("corvane-verify"))
        return exit_not_checked;
    const parsed_options parsed = parse_options({argv, static_cast<std::size_t>(argc)});
    report_streams streams;
    int status = exit_all_valid;
    switch (parsed.action) {
    case options_action::check:
        status = check(parsed.options, streams);
        break;
    case options_action::help:
        put(stdout, help_text());
        break;
    case options_action::version:
        put(stdout, version_text());
        break;
    case options_action::refused:
        put(stderr, parsed.refusal);
        status = exit_not_checked;
        break;
    }
    // A report that never arrived is a check that was not done.
    return finish_standard_output("corvane-verify", streams) ? status : exit_not_checked;
}

} // namespace

int run_tool(int argc, char* argv[])
{
    // No failure leaves the checker without a status: what the checks could not get (memory, most
    // likely) is said, and the check counts as not done.
    try {
        return run_checker(argc, argv);
    } catch (const std::bad_alloc&) {
        print(stderr, "corvane-verify: out of memory\n");
    } catch (const std::exception& e) {
        print(stderr, "corvane-verify: %s\n", e.what());
    }
    return exit_not_checked;
}
