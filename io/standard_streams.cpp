#include "io/standard_streams.h"

#include <initializer_list>
#include <optional>
#include <utility>

#include "io/output.h"
#include "io/platform.h"

namespace corvane {

bool prepare_standard_streams(const char* tool) noexcept
{
    if (set_streams_up())
        return true;
    print(stderr, "%s: the standard streams cannot be opened\n", tool);
    return false;
}

namespace {

constexpr std::pair<unsigned, const char*> stream_names[] = {{standard_output, "standard output"},
                                                             {standard_error, "standard error"}};

} // namespace

standard_stream_files describe_standard_streams() noexcept
{
    standard_stream_files files;
    for (const auto& [stream, file] :
         {std::pair{stdout, &files.out}, std::pair{stderr, &files.err}})
        file->described = identity_of(stream, file->regular, file->identity);
    return files;
}

unsigned standard_stream_files::unexamined() const noexcept
{
    return (out.described.ok() ? 0 : standard_output) | (err.described.ok() ? 0 : standard_error);
}

streams_on streams_on_file(const standard_stream_files& streams, const char* name,
                           const file_identity* opened) noexcept
{
    std::optional<file_identity> named;
    bool looked_up = false;
    if (streams.out.regular || streams.err.regular)
        looked_up = identity_of(name, named).ok();
    streams_on on;
    for (const auto& [file, bit] :
         {std::pair{&streams.out, standard_output}, std::pair{&streams.err, standard_error}}) {
        if (!file->described.ok() || !file->regular)
            continue;
        if ((opened != nullptr && same_file(*opened, file->identity)) ||
            (named && same_file(*named, file->identity)))
            on.same |= bit;
        else if (opened == nullptr && !looked_up)
            on.maybe |= bit;
    }
    return on;
}

report_streams streams_apart_from(unsigned file_streams) noexcept
{
    return {(file_streams & standard_output) != 0 ? nullptr : stdout,
            (file_streams & standard_error) != 0 ? nullptr : stderr};
}

void say_unexamined(std::FILE* to, const char* tool, const standard_stream_files& files) noexcept
{
    for (const auto& [bit, stream] : stream_names) {
        if ((files.unexamined() & bit) == 0)
            continue;
        char words[256];
        const std::string_view why =
            describe((bit == standard_output ? files.out : files.err).described, words);
        print(to, "%s: %s gets nothing: it cannot be examined: %.*s\n", tool, stream,
              static_cast<int>(why.size()), why.data());
    }
}

void say_maybe(std::FILE* to, const char* tool, unsigned maybe, std::string_view name) noexcept
{
    for (const auto& [bit, stream] : stream_names)
        if ((maybe & bit) != 0)
            print(to, "%s: %.*s: may be %s, which gets nothing\n", tool,
                  static_cast<int>(name.size()), name.data(), stream);
}

bool finish_standard_output(const char* tool, const report_streams& streams) noexcept
{
    if (streams.out == nullptr || (std::fflush(stdout) == 0 && std::ferror(stdout) == 0))
        return true;
    print(streams.err, "%s: standard output could not be written\n", tool);
    return false;
}

} // namespace corvane
