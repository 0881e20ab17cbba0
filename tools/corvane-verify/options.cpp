#include "tools/corvane-verify/options.h"

#include <getopt.h>

#include <cstddef>
#include <cstdio>
#include <string>

#include "image/crc_engine.h"
#include "io/output.h"
#include "tools/version.h"

namespace corvane {

namespace {

constexpr const char* usage_line = "Usage: corvane-verify [--json] [--quiet] FILE...\n";

} // namespace

options_action parse_options(int argc, char* argv[], verify_options& options)
{
    static const option long_options[] = {
        {"json", no_argument, nullptr, 'j'},
        {"quiet", no_argument, nullptr, 'q'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {nullptr, 0, nullptr, 0},
    };
    bool help = false;
    bool version = false;
    opterr = 0;
    for (int c; (c = getopt_long(argc, argv, "jqhV", long_options, nullptr)) != -1;) {
        switch (c) {
        case 'j':
            options.json = true;
            break;
        case 'q':
            options.quiet = true;
            break;
        case 'h':
            help = true;
            break;
        case 'V':
            version = true;
            break;
        default: // named here, so that the message reads the same on every platform
            if (const char* word = argv[optind - 1]; word[0] == '-' && word[1] == '-')
                put(stderr, "corvane-verify: unrecognized option '" + std::string(word) + "'\n");
            else
                print(stderr, "corvane-verify: invalid option -- '%c'\n", optopt);
            put(stderr, "Try 'corvane-verify --help' for more information.\n");
            return options_action::usage_error;
        }
    }
    if (help)
        return options_action::help;
    if (version)
        return options_action::version;
    if (optind >= argc) {
        put(stderr, "corvane-verify: no file given\n");
        put(stderr, usage_line);
        return options_action::usage_error;
    }
    options.files = {argv + optind, static_cast<std::size_t>(argc - optind)};
    return options_action::check;
}

void print_help()
{
    put(stdout, usage_line);
    put(stdout, "Checks stamped controller images without changing them: the length, the header\n"
                "72 bytes before the end and the checksum over the image.\n"
                "\n"
                "  -j, --json     print one JSON document, an array with an object per file\n"
                "  -q, --quiet    print nothing; only the exit status tells\n"
                "  -h, --help     print this help and exit\n"
                "  -V, --version  print the version and the checksum engine and exit\n"
                "\n"
                "Exit status: 0 when every file is valid, 1 when a file is invalid, 2 for a\n"
                "usage error or a file that cannot be opened or read.\n");
}

void print_version()
{
    print(stdout, "corvane-verify %s (checksum engine: %s)\n", tool_version_text,
          crc_engine_name());
}

} // namespace corvane
