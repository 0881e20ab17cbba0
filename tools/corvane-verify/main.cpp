#include <cstdio>
#include <utility>
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

int check_files(const verify_options& options)
{
    crc_buffer buffer{};
    std::vector<checked_file> checked;
    int status = exit_all_valid;
    bool first_report = true;
    for (const char* name : options.files) {
        file_check check = check_image_file(name, buffer);
        if (!check.read) {
            status = exit_not_checked;
            if (!options.quiet)
                std::fprintf(stderr, "corvane-verify: %s: %s\n", printable_name(name).c_str(),
                             check.error.c_str());
        } else if (!check.verdict.valid() && status == exit_all_valid) {
            status = exit_some_invalid;
        }
        if (options.quiet)
            continue;
        if (options.json) {
            checked.push_back({name, std::move(check)});
        } else if (check.read) {
            if (!first_report)
                std::fputs("\n", stdout);
            print_text_report(stdout, name, check);
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
    make_standard_streams_valid();
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
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::fputs("corvane-verify: standard output could not be written\n", stderr);
        return exit_not_checked;
    }
    return status;
}
