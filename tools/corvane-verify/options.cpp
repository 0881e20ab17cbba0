#include "tools/corvane-verify/options.h"

#include <getopt.h>

#include <cstddef>
#include <cstdio>
#include <string>

#include "image/crc_engine.h"
#include "image/image_kinds.h"
#include "io/output.h"
#include "report/verify_text.h"
#include "tools/corvane-verify/expected_values.h"
#include "tools/version.h"

namespace corvane {

namespace {

constexpr const char* try_help = "Try 'corvane-verify --help' for more information.\n";
constexpr const char* usage_line =
    "Usage: corvane-verify [--json] [--quiet] [-t KIND] [-s SIZE_KB] [-v VERSION] [-i DEVICE_ID] "
    "FILE...\n";

} // namespace

options_action parse_options(int argc, char* argv[], verify_options& options)
{
    static const option long_options[] = {
        {"json", no_argument, nullptr, 'j'},
        {"quiet", no_argument, nullptr, 'q'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {"kind", required_argument, nullptr, 't'},
        {"size", required_argument, nullptr, 's'},
        {"image-version", required_argument, nullptr, 'v'},
        {"device-id", required_argument, nullptr, 'i'},
        {nullptr, 0, nullptr, 0},
    };
    bool help = false;
    bool version = false;
    opterr = 0;
    for (int c; (c = getopt_long(argc, argv, ":jqhVt:s:v:i:", long_options, nullptr)) != -1;) {
        switch (c) {
        case 't':
        case 's':
        case 'v':
        case 'i':
            if (!read_expected_value(static_cast<char>(c), optarg, options.expected))
                return options_action::usage_error;
            break;
        case ':':
            put(stderr, "corvane-verify: option '" + printable_name(argv[optind - 1]) +
                            "' needs a value\n");
            put(stderr, try_help);
            return options_action::usage_error;
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
                put(stderr, "corvane-verify: unrecognized option '" + printable_name(word) + "'\n");
            else
                put(stderr, "corvane-verify: invalid option -- '" +
                                printable_name(std::string(1, static_cast<char>(optopt))) + "'\n");
            put(stderr, try_help);
            return options_action::usage_error;
        }
    }
    // Alone, or the run would answer for files it never read: "-q --version 1.0.0.2101 x.bin" is
    // a slip for --image-version, and would end as valid.
    if ((help || version) && argc != 2) {
        put(stderr, help ? "corvane-verify: --help takes no other word\n"
                         : "corvane-verify: --version takes no other word (the image's version is "
                           "-v or --image-version)\n");
        put(stderr, try_help);
        return options_action::usage_error;
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
    put(stdout,
        "Checks stamped controller images without changing them: the length, the header\n"
        "72 bytes before the end and the checksum over the image, and, where given,\n"
        "that each image is what the words that stamped it say, read as corvane reads\n"
        "them.\n"
        "\n"
        "  -j, --json                  print one JSON document, an object per file\n"
        "  -q, --quiet                 print nothing; only the exit status tells\n"
        "  -t, --kind KIND             the kind: " +
            kind_words() +
            "\n"
            "  -s, --size SIZE_KB          the image size in KB\n"
            "  -v, --image-version VERSION the version, a.b.c.dddd\n"
            "  -i, --device-id DEVICE_ID   the device id, as its hexadecimal digits: 8640\n"
            "  -h, --help                  print this help and exit\n"
            "  -V, --version               print the version and the checksum engine and exit\n"
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
