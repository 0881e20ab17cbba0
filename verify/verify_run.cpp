#include "verify/verify_run.h"

#include <memory>
#include <string>

#include "io/crc_pass.h"

namespace corvane {

verify_run check_files(std::span<const file_to_check> files)
{
    const auto buffer = std::make_unique<crc_buffer>();
    const standard_stream_files streams = describe_standard_streams();
    verify_run run;
    run.files.reserve(files.size());
    unsigned file_streams = 0;
    for (const auto& [name_view, expected] : files) {
        const std::string name(name_view);
        file_check check = check_image_file(name.c_str(), *buffer, expected);
        if (const unsigned on = streams_on_file(
                streams, name.c_str(), check.identified ? &check.state.identity : nullptr)) {
            file_streams |= on;
            check = {.error = "is the standard output or standard error of this run"};
        }
        run.files.push_back({name_view, std::move(check)});
    }
    run.streams = streams_apart_from(file_streams);
    return run;
}

} // namespace corvane
