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

// Every file is checked before a byte of the report is printed, so that a
// report can never land in a file while it is checked; a file that is this
// run's standard output or standard error would take the report into it, so
// that stream is pointed at the null device and the file is not judged.
int check_files(const verify_options& options)
{
    crc_buffer buffer{};
    std::vector<checked_file> checked;
    unsigned image_streams = 0;
    for (const char* name : options.files) {
        file_check check = check_image_file(name, buffer, options.expected);
        if (const unsigned streams = check.read ? standard_streams_on(check.state) : 0u) {
            image_streams |= streams;
            check = {.error = "is the standard output or standard error of this run"};
        }
        checked.push_back({name, std::move(check)});
    }
    release_standard_streams(image_streams);

    int status = exit_all_valid;
    bool first_report = true;
    for (const checked_file& file : checked) {
        const file_check& check = file.check;
        if (!check.read) {
            status = exit_not_checked;
            if (!options.quiet)
                put(stderr,
                    "corvane-verify: " + printable_name(file.name) + ": " + check.error + "\n");
        } else if (!check.verdict.valid() && status == exit_all_valid) {
            status = exit_some_invalid;
        }
        if (!options.quiet && !options.json && check.read) {
            if (!first_report)
                put(stdout, "\n");
            print_text_report(stdout, file.name, check);
            first_report = false;
        }
    }
    if (options.json && !options.quiet)
        print_json_report(stdout, checked);
    return status;
}

} // namespace

int run_tool(int argc, char* argv[])
{
    prepare_standard_streams();
    verify_options options;
    int status = exit_not_checked;
    switch (parse_options(argc, argv, options)) {
    case options_action::check:
        status = check_files(options);
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
    return finish_standard_output("corvane-verify") ? status : exit_not_checked;
}
