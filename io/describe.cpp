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

std::string_view describe(file_kind kind) noexcept
{
    switch (kind) {
    case file_kind::none:
        return "nothing";
    case file_kind::regular:
        return "a regular file";
    case file_kind::link:
        return "a symbolic link";
    case file_kind::folder:
        return "a folder";
    case file_kind::fifo:
        return "a FIFO";
    case file_kind::socket:
        return "a socket";
    case file_kind::character_device:
        return "a character device";
    case file_kind::block_device:
        return "a block device";
    case file_kind::other:
        break;
    }
    return "not a regular file";
}

} // namespace corvane
