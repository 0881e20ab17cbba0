#include "io/file_state.h"

namespace corvane {

bool same_file_state(const file_state& a, const file_state& b) noexcept
{
    return a.device == b.device && a.inode == b.inode && a.length == b.length &&
           a.modified_ns == b.modified_ns;
}

file_state state_from(const struct stat& status) noexcept
{
    return {status.st_dev, status.st_ino, status.st_size,
            std::int64_t{status.st_mtim.tv_sec} * 1'000'000'000 + status.st_mtim.tv_nsec};
}

bool state_of(std::FILE* stream, file_state& state) noexcept
{
    struct stat status {};
    if (::fstat(::fileno(stream), &status) != 0)
        return false;
    state = state_from(status);
    return true;
}

} // namespace corvane
