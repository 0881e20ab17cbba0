#include "image/sha256.h"
#include "image/version_text.h"
#include "io/entry.h"
#include "io/output.h"
#include "io/standard_streams.h"
#include "report/json_string.h"
#include "stamp/manifest_lines.h"
#include "stamp/out_of_place_messages.h"
#include "tools/corvane-stamp/exit_status.h"
#include "tools/corvane-stamp/options.h"

namespace {

using namespace corvane;

// What was made, for a release manifest: one JSON object.
void print_json(std::FILE* out, const copy_request& request, const copy_result& made)
{
    put(out, "{\n  \"output\": ");
    put_json_string(out, request.output);
    print(out, ",\n  \"kind\": \"%s\",\n  \"size\": %u,\n", request.kind->word.data(),
          unsigned{made.image_size});
    const std::optional<std::string> version = version_word(request.version);
    print(out,
          "  \"version_text\": \"%s\",\n  \"device_id\": %u,\n  \"device_id_hex\": \"0x%04x\",\n",
          version ? version->c_str() : "", unsigned{request.device_id},
          unsigned{request.device_id});
    print(out, "  \"crc\": %u,\n  \"crc_hex\": \"%08X\",\n  \"sha256\": \"", unsigned{made.crc},
          unsigned{made.crc});
    const std::array<char, 64> hex = digest_hex(made.sha256);
    put(out, std::string_view(hex.data(), hex.size()));
    put(out, "\"\n}\n");
}

int stamp(stamp_options& options, copy_streams& streams)
{
    copy_request& request = options.request;
    request.progress = options.progress == progress_choice::always ||
                       (options.progress == progress_choice::automatic && is_terminal(stderr));
    const copy_result made = stamp_out_of_place(request, streams);
    if (made.error != copy_error::none) {
        report_out_of_place_failure(streams, request, made);
        return exit_not_made;
    }
    if (options.json)
        print_json(streams.streams.out, request, made);
    return exit_made;
}

} // namespace

int run_tool(int argc, char* argv[])
{
    if (!prepare_standard_streams("corvane-stamp"))
        return exit_not_made;
    parsed_stamp_options parsed = parse_stamp_options({argv, static_cast<std::size_t>(argc)});
    copy_streams streams;
    int status = exit_made;
    switch (parsed.action) {
    case stamp_action::stamp:
        status = stamp(parsed.options, streams);
        break;
    case stamp_action::gather:
        if (const copy_result made =
                gather_manifest(parsed.options.request.input, parsed.options.request.output,
                                streams.streams.err_or_out());
            made.error != copy_error::none) {
            report_out_of_place_failure(streams, parsed.options.request, made);
            status = exit_not_made;
        }
        break;
    case stamp_action::help:
        put(stdout, stamp_help_text());
        break;
    case stamp_action::version:
        put(stdout, stamp_version_text());
        break;
    case stamp_action::refused:
        put(stderr, parsed.refusal);
        status = exit_bad_words;
        break;
    }
    // A report that never arrived fails the run, though the image is made.
    return finish_standard_output("corvane-stamp", streams.streams) || status != exit_made
               ? status
               : exit_not_made;
}
