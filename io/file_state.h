#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>

namespace corvane {

// Which file a stream is on and the state it is in: enough to tell that a
// later look at the file by its name found the same file, unchanged.
struct file_state {
    dev_t device = 0;
    ino_t inode = 0;
    off_t length = 0;
    std::int64_t modified_ns = 0; // modification time, in nanoseconds since the epoch
};

[[nodiscard]] bool same_file_state(const file_state& a, const file_state& b) noexcept;

[[nodiscard]] file_state state_from(const struct stat& status) noexcept;

// The state of the file under an open stream; false when fstat fails.
[[nodiscard]] bool state_of(std::FILE* stream, file_state& state) noexcept;

} // namespace corvane
