#include <cstdio>

#include "io/image_file.h"
#include "io/platform.h"

namespace corvane {

std::string_view describe(const io_status& status, std::span<char> buffer) noexcept
{
    switch (status.error) {
    case io_error::none:
        return "";
    case io_error::system:
        return system_message(status.system_error, buffer);
    case io_error::not_regular_file:
        return "not a regular file";
    case io_error::pseudo_file_system:
        return "not a stored file (a pseudo file system)";
    case io_error::file_system_unknown: {
        char words[256];
        const std::string_view why = system_message(status.system_error, words);
        std::snprintf(buffer.data(), buffer.size(), "cannot tell its file system: %.*s",
                      static_cast<int>(why.size()), why.data());
        return buffer.data(); // cut to the buffer, and ended, by snprintf
    }
    case io_error::locked:
        return "locked by another process, which may be stamping it";
    case io_error::ended:
        return "shorter than when it was measured";
    }
    return "";
}

std::string_view describe(file_type kind) noexcept
{
    switch (kind) {
    case file_type::none:
        return "nothing";
    case file_type::regular:
        return "a regular file";
    case file_type::link:
        return "a symbolic link";
    case file_type::folder:
        return "a folder";
    case file_type::fifo:
        return "a FIFO";
    case file_type::socket:
        return "a socket";
    case file_type::character_device:
        return "a character device";
    case file_type::block_device:
        return "a block device";
    case file_type::other:
        break;
    }
    return "not a regular file";
}

} // namespace corvane
