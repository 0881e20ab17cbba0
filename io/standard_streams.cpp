#include "io/standard_streams.h"

#include <cstdio>
#include <initializer_list>
#include <utility>

#include "io/output.h"
#include "io/platform_streams.h"

namespace corvane {

void prepare_standard_streams() noexcept
{
    set_streams_up();
    for (std::FILE* stream : {stdout, stderr})
        if (is_regular_file(stream))
            hold_output(stream);
}

unsigned standard_streams_on(const file_state& image) noexcept
{
    return (is_same_file(stdout, image) ? standard_output : 0u) |
           (is_same_file(stderr, image) ? standard_error : 0u);
}

void release_standard_streams(unsigned image_streams) noexcept
{
    for (const auto& [stream, bit] :
         {std::pair{stdout, standard_output}, {stderr, standard_error}}) {
        if ((image_streams & bit) != 0)
            point_at_null(stream);
        release_output(stream, (image_streams & bit) != 0);
    }
}

bool finish_standard_output(const char* tool) noexcept
{
    release_standard_streams(0);
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0)
        return true;
    print(stderr, "%s: standard output could not be written\n", tool);
    return false;
}

} // namespace corvane
