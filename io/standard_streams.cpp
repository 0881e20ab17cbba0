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

unsigned streams_on_file(const char* name, const file_identity* opened) noexcept
{
    std::optional<file_identity> named;
    const bool looked_up = identity_of(name, named).ok();
    unsigned on = 0;
    for (const auto& [stream, bit] :
         {std::pair{stdout, standard_output}, std::pair{stderr, standard_error}}) {
        bool regular = false;
        file_identity identity;
        if (!identity_of(stream, regular, identity).ok())
            on |= bit;
        else if (regular && ((opened == nullptr && !looked_up) ||
                             (opened != nullptr && same_file(*opened, identity)) ||
                             (named && same_file(*named, identity))))
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
