#include <cstddef>

#include "io/standard_streams.h"
#include "stamp/stamp_image.h"
#include "tools/corvane/driver.h"

int main(int argc, char* argv[])
{
    corvane::make_standard_streams_valid();
    corvane::stamp_buffers buffers{};
    const int status = corvane::run_corvane({argv, static_cast<std::size_t>(argc)}, buffers);
    return corvane::finish_output(status);
}
