#include "verify/verify_run.h"

#include <memory>
#include <string>

#include "io/crc_pass.h"

namespace corvane {

verify_run check_files(std::span<const file_to_check> files)
{
    const auto buffer = std::make_unique<crc_buffer>();
    verify_run run;
    run.standard = describe_standard_streams();
    run.files.reserve(files.size());
    unsigned left_out = run.standard.unexamined();
    for (const auto& [name_view, expected] : files) {
        const std::string name(name_view);
        file_check check = check_image_file(name.c_str(), *buffer, expected);
        const streams_on on = streams_on_file(run.standard, name.c_str(),
                                              check.identified ? &check.state.identity : nullptr);
        if (on.same != 0)
            check = {.error = "is the standard output or standard error of this run"};
        left_out |= on.left_out();
        run.files.push_back({name_view, std::move(check), on.maybe});
    }
    run.streams = streams_apart_from(left_out);
    return run;
}

} // namespace corvane
