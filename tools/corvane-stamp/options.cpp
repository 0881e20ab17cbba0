#include "tools/corvane-stamp/options.h"

#include "image/crc_engine.h"
#include "image/image_kinds.h"
#include "image/image_layout.h"
#include "image/image_rules.h"
#include "image/sha256.h"
#include "image/strict_words.h"
#include "io/command_options.h"
#include "report/printable_name.h"
#include "tools/version.h"

namespace corvane {

namespace {

constexpr const char* try_help = "Try 'corvane-stamp --help' for more information.\n";
constexpr const char* usage_line =
    "Usage: corvane-stamp -t KIND [-s SIZE_KB] -v VERSION -i DEVICE_ID [--json] "
    "[--progress|--no-progress] INPUT OUTPUT\n";

parsed_stamp_options refused(std::string text)
{
    return {stamp_action::refused, {}, "corvane-stamp: " + std::move(text)};
}

std::string word_refused(const char* option, const char* word, const std::string& rule)
{
    return std::string(option) + " '" + printable_name(word) + "': " + rule + "\n";
}

// The value of -t, -s, -v or (any other option) -i, or why it is refused.
std::string read_value(int option, const char* word, copy_request& request)
{
    strict_values values;
    values.kind = request.kind; // a size is in the kind's unit
    const std::string rule = read_strict_word(static_cast<char>(option), word, values);
    if (!rule.empty())
        return word_refused(strict_option_name(static_cast<char>(option)), word, rule);
    switch (option) {
    case 't':
        request.kind = values.kind;
        break;
    case 's':
        request.image_size = values.size;
        break;
    case 'v':
        request.version = values.version;
        break;
    default:
        request.device_id = values.device_id;
    }
    return "";
}

} // namespace

parsed_stamp_options parse_stamp_options(std::span<char*> args)
{
    enum { json = 256, progress, no_progress };
    static constexpr long_option long_options[] = {
        {"kind", true, 't'},
        {"size", true, 's'},
        {"image-version", true, 'v'},
        {"device-id", true, 'i'},
        {"json", false, json},
        {"progress", false, progress},
        {"no-progress", false, no_progress},
        {"help", false, 'h'},
        {"version", false, 'V'},
    };
    option_reader reader(args, "corvane-stamp", "t:s:v:i:hV", long_options);
    parsed_stamp_options parsed{stamp_action::stamp, {}, {}};
    stamp_options& options = parsed.options;
    bool help = false;
    bool version = false;
    bool versioned = false;
    bool identified = false;
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
            if (std::string why = read_value(c, value, options.request); !why.empty())
                return refused(std::move(why));
            versioned = versioned || c == 'v';
            identified = identified || c == 'i';
            break;
        case json:
            options.json = true;
            break;
        case progress:
            options.progress = progress_choice::always;
            break;
        case no_progress:
            options.progress = progress_choice::never;
            break;
        case 'h':
            help = true;
            break;
        case 'V':
            version = true;
            break;
        default:
            return {stamp_action::refused, {}, std::move(refusal)};
        }
    }
    if (size_word != nullptr)
        if (std::string why = read_value('s', size_word, options.request); !why.empty())
            return refused(std::move(why));
    if ((help || version) && args.size() != 2)
        return refused(std::string(help ? "--help" : "--version") + " takes no other word\n" +
                       try_help);
    if (help)
        return {stamp_action::help, {}, {}};
    if (version)
        return {stamp_action::version, {}, {}};
    copy_request& request = options.request;
    for (const auto& [given, name] :
         {std::pair{request.kind != nullptr, "-t/--kind"},
          std::pair{versioned, "-v/--image-version"}, std::pair{identified, "-i/--device-id"}})
        if (!given)
            return refused(std::string(name) + " is missing\n" + usage_line);
    const std::span<char*> files = reader.operands();
    if (files.size() != 2)
        return refused("INPUT and OUTPUT are needed, and nothing more\n" + std::string(usage_line));
    request.input = files[0];
    request.output = files[1];
    request.digest = options.json;
    return parsed;
}

std::string stamp_help_text()
{
    return usage_line +
           std::string("Stamps a raw controller image out of place, for builds: INPUT is only read "
                       "('-' for\n"
                       "standard input), OUTPUT is made atomically, beside it and renamed over it, "
                       "with the\n"
                       "bytes corvane makes: the input, 0xFF up to the size, the header ") +
           std::to_string(header_distance_from_end) +
           " bytes before the\n"
           "end. An input longer than the image holds before its header is refused.\n"
           "\n"
           "  -t, --kind KIND             the kind: " +
           kind_words() +
           "\n"
           "  -s, --size SIZE_KB          the image size in KB, whole units of the kind; by\n"
           "                              default the smallest that holds INPUT and the " +
           std::to_string(header_distance_from_end) +
           "\n                              bytes after it\n"
           "  -v, --image-version VERSION the version, a.b.c.dddd\n"
           "  -i, --device-id DEVICE_ID   the device id, its hexadecimal digits: 8640 or 0x8640\n"
           "      --json                  print what was made as one JSON object\n"
           "      --progress              show the progress on standard error\n"
           "      --no-progress           never show it (by default: on a terminal, after 1 s)\n"
           "  -h, --help                  print this help and exit\n"
           "  -V, --version               print the version and the engines and exit\n"
           "\n"
           "Exit status: 0 when OUTPUT is stamped and on storage, 1 when it could not be\n"
           "made (OUTPUT is then as it was), 2 for a usage error.\n";
}

std::string stamp_version_text()
{
    return std::string("corvane-stamp ") + tool_version_text +
           " (checksum engine: " + crc_engine_name() + ", SHA-256: " + sha256_engine_name() + ")\n";
}

} // namespace corvane
