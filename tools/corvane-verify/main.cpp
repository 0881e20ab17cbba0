#include <cstdio>
#include <vector>

#include "io/crc_pass.h"
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
    for (const char* name : options.files) {
        file_check check = check_image_file(name, buffer);
        if (check.read)
            if (const unsigned streams = standard_streams_on(check.state); streams != 0) {
                divert_to_null(streams);
                check = {.error = "is the standard output or standard error of this run"};
            }
        checked.push_back({name, std::move(check)});
    }

    int status = exit_all_valid;
    bool first_report = true;
    for (const checked_file& file : checked) {
        const file_check& check = file.check;
        if (!check.read) {
            status = exit_not_checked;
            if (!options.quiet)
                std::fprintf(stderr, "corvane-verify: %s: %s\n", printable_name(file.name).c_str(),
                             check.error.c_str());
        } else if (!check.verdict.valid() && status == exit_all_valid) {
            status = exit_some_invalid;
        }
        if (!options.quiet && !options.json && check.read) {
            if (!first_report)
                std::fputs("\n", stdout);
            print_text_report(stdout, file.name, check);
            first_report = false;
        }
    }
    if (options.json && !options.quiet)
        print_json_report(stdout, checked);
    return status;
}

} // namespace

int main(int argc, char* argv[])
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
        return exit_not_checked;
    }
    // A report that never arrived is a check that was not done.
    return finish_standard_output("corvane-verify") ? status : exit_not_checked;
}
