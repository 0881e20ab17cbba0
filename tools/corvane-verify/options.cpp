#include "tools/corvane-verify/options.h"

#include <cstddef>
#include <cstdio>

#include "image/crc_engine.h"
#include "image/image_kinds.h"
#include "image/image_layout.h"
#include "image/sha256.h"
#include "io/command_options.h"
#include "report/printable_name.h"
#include "tools/corvane-verify/expected_values.h"
#include "tools/version.h"

namespace corvane {

namespace {

constexpr const char* try_help = "Try 'corvane-verify --help' for more information.\n";
constexpr const char* usage_line =
    "Usage: corvane-verify [--json] [--quiet] [-t KIND] [-s SIZE_KB] [-v VERSION] [-i DEVICE_ID] "
    "FILE...\n"
    "       corvane-verify [--json] [--quiet] -c MANIFEST [FILE...]\n";

parsed_options refused(std::string text) { return {options_action::refused, {}, std::move(text)}; }

} // namespace

parsed_options parse_options(std::span<char*> args)
{
    static constexpr long_option long_options[] = {
        {"json", false, 'j'},         {"quiet", false, 'q'},    {"help", false, 'h'},
        {"version", false, 'V'},      {"kind", true, 't'},      {"size", true, 's'},
        {"image-version", true, 'v'}, {"device-id", true, 'i'}, {"check", true, 'c'},
    };
    option_reader reader(args, "corvane-verify", "jqhVt:s:v:i:c:", long_options);
    parsed_options parsed{options_action::check, {}, {}};
    verify_options& options = parsed.options;
    bool help = false;
    bool version = false;
    const char* value = nullptr;
    const char* size_word = nullptr; // read once the kind, whose unit it is in, is known
    std::string refusal;
    for (int c; (c = reader.next(value, refusal, printable_name)) != 0;) {
        switch (c) {
        case 's':
            size_word = value;
            break;
        case 't':
        case 'v':
        case 'i':
            if (std::string why =
                    read_expected_value(static_cast<char>(c), value, options.expected);
                !why.empty())
                return {options_action::refused, {}, std::move(why)};
            break;
        case 'c':
            options.manifest = value;
            break;
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
        default:
            return {options_action::refused, {}, std::move(refusal)};
        }
    }
    if (size_word != nullptr)
        if (std::string why = read_expected_value('s', size_word, options.expected); !why.empty())
            return {options_action::refused, {}, std::move(why)};
    // Alone, or the run would answer for files it never read: "-q --version 1.0.0.2101 x.bin" is
    // a slip for --image-version, and would end as valid.
    if ((help || version) && args.size() != 2)
        return refused(std::string(help ? "corvane-verify: --help takes no other word\n"
                                        : "corvane-verify: --version takes no other word (the "
                                          "image's version is -v or --image-version)\n") +
                       try_help);
    if (help)
        return {options_action::help, {}, {}};
    if (version)
        return {options_action::version, {}, {}};
    options.files = reader.operands();
    if (options.files.empty() && options.manifest == nullptr)
        return refused(std::string("corvane-verify: no file given\n") + usage_line);
    return parsed;
}

std::string help_text()
{
    return usage_line +
           std::string(
               "Checks stamped controller images without changing them: the length, the header\n") +
           std::to_string(header_distance_from_end) +
           " bytes before the end and the checksum over the image, and, where given,\n"
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
           "  -c, --check MANIFEST        check every image it lists, each against its words:\n"
           "                              KIND SIZE_KB VERSION DEVICE_ID PATH, one a line\n"
           "  -h, --help                  print this help and exit\n"
           "  -V, --version               print the version and the engines and exit\n"
           "\n"
           "Exit status: 0 when every file is valid, 1 when a file is invalid, 2 for a\n"
           "usage error or a file that cannot be opened or read.\n";
}

std::string version_text()
{
    return std::string("corvane-verify ") + tool_version_text +
           " (checksum engine: " + crc_engine_name() + ", SHA-256: " + sha256_engine_name() + ")\n";
}

} // namespace corvane
