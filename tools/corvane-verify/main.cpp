#include <cstdio>
#include <vector>

#include "io/crc_pass.h"
#include "io/entry.h"
#include "io/output.h"
#include "io/standard_streams.h"
#include "report/verify_json.h"
#include "report/verify_text.h"
#include "tools/corvane-verify/exit_status.h"
#include "tools/corvane-verify/options.h"
#include "verify/verify_file.h"

namespace {

using namespace corvane;

// Every file named is checked, and every standard stream compared with it, whether it could be
// read or not, before a byte of the report is printed: a stream that is one of them gets
// nothing, and that file is not judged, so that no report can land in a file it names.
int check_files(const verify_options& options, report_streams& streams)
{
    crc_buffer buffer{};
    std::vector<checked_file> checked;
    unsigned file_streams = 0;
    for (const char* name : options.files) {
        file_check check = check_image_file(name, buffer, options.expected);
        if (const unsigned on =
                streams_on_file(name, check.identified ? &check.state.identity : nullptr)) {
            file_streams |= on;
            check = {.error = "is the standard output or standard error of this run"};
        }
        checked.push_back({name, std::move(check)});
    }
    streams = streams_apart_from(file_streams);

    int status = exit_all_valid;
    bool first_report = true;
    unsigned valid = 0, invalid = 0;
    for (const checked_file& file : checked) {
        const file_check& check = file.check;
        if (!check.read) {
            status = exit_not_checked;
            if (!options.quiet)
                put(streams.err,
                    "corvane-verify: " + printable_name(file.name) + ": " + check.error + "\n");
        } else if (check.verdict.valid()) {
            ++valid;
        } else {
            ++invalid;
            status = status == exit_all_valid ? exit_some_invalid : status;
        }
        if (!options.quiet && !options.json && check.read) {
            if (!first_report)
                put(streams.out, "\n");
            print_text_report(streams.out, file.name, check);
            first_report = false;
        }
    }
    if (options.json && !options.quiet)
        print_json_report(streams.out, checked);
    // A run over several files ends with its count, for a reader of a long report.
    if (!options.json && !options.quiet && checked.size() > 1) {
        const auto files = static_cast<unsigned>(checked.size());
        const unsigned errors = files - valid - invalid;
        print(streams.out, "%s%u files: %u OK, %u INVALID, %u error%s\n", first_report ? "" : "\n",
              files, valid, invalid, errors, errors == 1 ? "" : "s");
    }
    return status;
}

} // namespace

int run_tool(int argc, char* argv[])
{
    if (!prepare_standard_streams("corvane-verify"))
        return exit_not_checked;
    verify_options options;
    report_streams streams;
    int status = exit_not_checked;
    switch (parse_options(argc, argv, options)) {
    case options_action::check:
        status = check_files(options, streams);
        break;
    case options_action::help:
        print_help();
        status = exit_all_valid;
        break;
    case options_action::version:
        print_version();
        status = exit_all_valid;
        break;
    case options_action::usage_error:
        break;
    }
    // A report that never arrived is a check that was not done.
    return finish_standard_output("corvane-verify", streams) ? status : exit_not_checked;
}
