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

standard_stream_files describe_standard_streams() noexcept
{
    standard_stream_files files;
    for (const auto& [stream, file] :
         {std::pair{stdout, &files.out}, std::pair{stderr, &files.err}})
        file->described = identity_of(stream, file->regular, file->identity).ok();
    return files;
}

unsigned streams_on_file(const standard_stream_files& streams, const char* name,
                         const file_identity* opened) noexcept
{
    std::optional<file_identity> named;
    bool looked_up = false;
    if (streams.out.regular || streams.err.regular)
        looked_up = identity_of(name, named).ok();
    unsigned on = 0;
    for (const auto& [file, bit] :
         {std::pair{&streams.out, standard_output}, std::pair{&streams.err, standard_error}}) {
        if (!file->described)
            on |= bit;
        else if (file->regular && ((opened == nullptr && !looked_up) ||
                                   (opened != nullptr && same_file(*opened, file->identity)) ||
                                   (named && same_file(*named, file->identity))))
            on |= bit;
    }
    return on;
}

report_streams streams_apart_from(unsigned file_streams) noexcept
{
    return {(file_streams & standard_output) != 0 ? nullptr : stdout,
            (file_streams & standard_error) != 0 ? nullptr : stderr};
}

bool finish_standard_output(const char* tool, const report_streams& streams) noexcept
{
    if (streams.out == nullptr || (std::fflush(stdout) == 0 && std::ferror(stdout) == 0))
        return true;
    print(streams.err, "%s: standard output could not be written\n", tool);
    return false;
}

} // namespace corvane
