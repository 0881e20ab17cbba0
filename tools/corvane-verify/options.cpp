#include "tools/corvane-verify/options.h"

#include <cstddef>
#include <cstdio>

#include "image/crc_engine.h"
#include "image/image_kinds.h"
#include "image/image_layout.h"
#include "image/sha256.h"
#include "io/command_options.h"
#include "report/printable_name.h"
#include "tools/version.h"

namespace corvane {

namespace {

constexpr const char* usage_line =
    "Usage: corvane-verify [--json] [--quiet] [-t KIND] [-s SIZE_KB] [-v VERSION] [-i DEVICE_ID] "
    "FILE...\n"
    "       corvane-verify [--json] [--quiet] [--full] -c MANIFEST [FILE...]\n";

} // namespace

parsed_options parse_options(std::span<char*> args)
{
    enum { full = 256 };
    static constexpr long_option own[] = {
        {"json", false, 'j'},
        {"quiet", false, 'q'},
        {"check", true, 'c'},
        {"full", false, full},
    };
    const command_line line =
        read_command_line(args, "corvane-verify", "jqc:", own, printable_name);
    switch (line.action) {
    case command_action::refused:
        return {options_action::refused, {}, line.refusal};
    case command_action::help:
        return {options_action::help, {}, {}};
    case command_action::version:
        return {options_action::version, {}, {}};
    case command_action::run:
        break;
    }
    parsed_options parsed{options_action::check, {}, {}};
    verify_options& options = parsed.options;
    options.json = line.given('j');
    options.quiet = line.given('q');
    options.full = line.given(full);
    options.manifest = line.value('c');
    options.files = line.operands;
    const strict_values& words = line.words;
    expected_image& expected = options.expected;
    if (words.kind != nullptr)
        expected.type_code = words.kind->type_code;
    expected.size = words.size;
    if (line.given('v'))
        expected.version = words.version;
    if (line.given('i'))
        expected.device_id = words.device_id;
    if (options.files.empty() && options.manifest == nullptr)
        return {options_action::refused,
                {},
                std::string("corvane-verify: no file given\n") + usage_line};
    return parsed;
}

std::string help_text()
{
    return usage_line +
           std::string(
               "Checks stamped controller images without changing them: the length, the header\n") +
           std::to_string(header_distance_from_end) +
           " bytes before the end and the checksum over the image, and, where given,\n"
           "that each image is what the words that stamped it say, read as corvane-stamp\n"
           "reads them.\n"
           "\n"
           "  -j, --json                  print one JSON document, an object per file\n"
           "  -q, --quiet                 print nothing but the images of a manifest that are\n"
           "                              not OK; the exit status tells\n"
           "  -t, --kind KIND             the kind: " +
           kind_words() +
           "\n"
           "  -s, --size SIZE_KB          the image size in KB, whole units of the kind\n"
           "  -v, --image-version VERSION the version, a.b.c.dddd\n"
           "  -i, --device-id DEVICE_ID   the device id, its hexadecimal digits: 8640 or 0x8640\n"
           "  -c, --check MANIFEST        check every image it lists, each against its words,\n"
           "                              a line each: KIND SIZE_KB VERSION DEVICE_ID PATH\n"
           "      --full                  the whole report of each image a manifest lists\n"
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
