#include "verify/verify_run.h"

#include <memory>

#include "io/crc_pass.h"

namespace corvane {

verify_run check_files(std::span<char* const> names, const expected_image& expected)
{
    const auto buffer = std::make_unique<crc_buffer>();
    const standard_stream_files streams = describe_standard_streams();
    verify_run run;
    run.files.reserve(names.size());
    unsigned file_streams = 0;
    for (const char* name : names) {
        file_check check = check_image_file(name, *buffer, expected);
        if (const unsigned on = streams_on_file(
                streams, name, check.identified ? &check.state.identity : nullptr)) {
            file_streams |= on;
            check = {.error = "is the standard output or standard error of this run"};
        }
        run.files.push_back({name, std::move(check)});
    }
    run.streams = streams_apart_from(file_streams);
    return run;
}

} // namespace corvane
