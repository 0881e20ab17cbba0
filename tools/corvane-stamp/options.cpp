#include "tools/corvane-stamp/options.h"

#include "image/crc_engine.h"
#include "image/device_ids.h"
#include "image/image_kinds.h"
#include "image/image_layout.h"
#include "image/sha256.h"
#include "image/strict_words.h"
#include "io/command_options.h"
#include "report/printable_name.h"
#include "tools/version.h"

namespace corvane {

namespace {

constexpr const char* usage_line =
    "Usage: corvane-stamp -t KIND [-s SIZE_KB] -v VERSION -i DEVICE_ID [--json] "
    "[--record RECORD] [--words WORDS] [--progress|--no-progress] INPUT OUTPUT\n"
    "       corvane-stamp --gather RECORDS MANIFEST\n";

parsed_stamp_options refused(std::string text)
{
    return {stamp_action::refused, {}, "corvane-stamp: " + std::move(text)};
}

} // namespace

parsed_stamp_options parse_stamp_options(std::span<char*> args)
{
    enum { json = 256, progress, no_progress, record, words, gather };
    static constexpr long_option own[] = {
        {"json", false, json},
        {"progress", false, progress},
        {"no-progress", false, no_progress},
        {"record", true, record},
        {"words", true, words},
        {"gather", false, gather},
    };
    const command_line line = read_command_line(args, "corvane-stamp", "", own, printable_name);
    switch (line.action) {
    case command_action::refused:
        return {stamp_action::refused, {}, line.refusal};
    case command_action::help:
        return {stamp_action::help, {}, {}};
    case command_action::version:
        return {stamp_action::version, {}, {}};
    case command_action::run:
        break;
    }
    if (line.given(gather)) {
        for (const int code : {int{'t'}, int{'s'}, int{'v'}, int{'i'}, int{json}, int{progress},
                               int{no_progress}, int{record}, int{words}})
            if (line.given(code))
                return refused("--gather takes no other option\n" + std::string(usage_line));
        if (line.operands.size() != 2)
            return refused("--gather needs RECORDS and MANIFEST, and nothing more\n" +
                           std::string(usage_line));
        parsed_stamp_options parsed{stamp_action::gather, {}, {}};
        parsed.options.request.input = line.operands[0];
        parsed.options.request.output = line.operands[1];
        return parsed;
    }
    for (const auto& [code, name] :
         {std::pair{'t', "-t/--kind"}, std::pair{'v', "-v/--image-version"},
          std::pair{'i', "-i/--device-id"}})
        if (!line.given(code))
            return refused(std::string(name) + " is missing\n" + usage_line);
    if (line.operands.size() != 2)
        return refused("INPUT and OUTPUT are needed, and nothing more\n" + std::string(usage_line));
    parsed_stamp_options parsed{stamp_action::stamp, {}, {}};
    stamp_options& options = parsed.options;
    options.json = line.given(json);
    options.progress = line.given(progress)      ? progress_choice::always
                       : line.given(no_progress) ? progress_choice::never
                                                 : progress_choice::automatic;
    copy_request& request = options.request;
    request.kind = line.words.kind;
    request.image_size = line.words.size;
    request.version = line.words.version;
    request.device_id = line.words.device_id;
    request.input = line.operands[0];
    request.output = line.operands[1];
    request.record = line.value(record);
    request.words = line.value(words);
    request.given = {line.value('t'), line.value('s'), line.value('v'), line.value('i')};
    request.digest = options.json || request.record != nullptr;
    // A record is a manifest's line, and its PATH OUTPUT's name.
    if (request.record != nullptr &&
        std::string_view(request.output).find_first_of("\r\n") != std::string_view::npos)
        return refused("OUTPUT '" + printable_name(request.output) +
                       "' holds a line end, which no line of a record can\n");
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
           "      --record RECORD         write the image's manifest line into RECORD, whole,\n"
           "                              before OUTPUT is replaced\n"
           "      --words WORDS           keep the words as given in WORDS, whole, once OUTPUT is\n"
           "                              made, for a build to see when they change\n"
           "      --progress              show the progress on standard error\n"
           "      --no-progress           never show it (by default: on a terminal, after 1 s)\n"
           "  -h, --help                  print this help and exit\n"
           "  -V, --version               print the version and the engines and exit\n"
           "\n"
           "--gather writes MANIFEST, for corvane-verify --check, whole, from the records that\n"
           "RECORDS names, one a line, each image named from MANIFEST's folder.\n"
           "\n"
           "Exit status: 0 when OUTPUT (MANIFEST) is made and on storage, 1 when it could not\n"
           "be (it is then as it was), 2 for a usage error.\n";
}

std::string stamp_version_text()
{
    return std::string("corvane-stamp ") + tool_version_text +
           " (checksum engine: " + crc_engine_name() + ", SHA-256: " + sha256_engine_name() + ")\n";
}

} // namespace corvane
