#pragma once

#include <cstdint>
#include <span>

namespace corvane {

// Which file it is, and the state it is in: enough to tell that a later look
// at the file by its name found the same file, unchanged. A change of the
// bytes moves the change time even where a coarse clock keeps the
// modification time.
struct file_state {
    std::uint64_t device = 0;
    std::uint64_t file_id = 0;
    std::uint64_t length = 0;
    std::int64_t modified_ns = 0; // modification time, in nanoseconds since the epoch
    std::int64_t changed_ns = 0;  // change time, likewise

    friend bool operator==(const file_state&, const file_state&) = default;
};

// What went wrong with a file operation.
enum class io_error : std::uint8_t {
    none,
    system,             // the system refused; `system_error` holds its errno value
    not_regular_file,   // a directory, FIFO, socket or device
    pseudo_file_system, // a file that stands for kernel state (proc, sysfs and their like)
    locked,             // another process holds the lock
    ended,              // the file ended before the bytes asked for
};

struct io_status {
    io_error error = io_error::none;
    int system_error = 0;

    [[nodiscard]] bool ok() const noexcept { return error == io_error::none; }
};

enum class open_mode { read, update };
enum class lock_mode { shared, exclusive };

// The image file, open for the length of one step (or, for the run's claim,
// of the whole run). Only a regular file of a file system that stores bytes is
// ever opened, never created, and opening never blocks, whatever stands under
// the name. Every operation says how it went; close() reports the close,
// which a step must check, and the destructor only closes what an early
// return left open.
class image_file {
public:
    image_file() = default;
    image_file(const image_file&) = delete;
    image_file& operator=(const image_file&) = delete;
    ~image_file();

    [[nodiscard]] io_status open(const char* name, open_mode mode) noexcept;
    [[nodiscard]] io_status state(file_state& state) const noexcept;
    // Without waiting: `locked` when another process holds a lock that
    // conflicts. Where the file system cannot lock at all, the file is taken
    // without one. Held until the file is closed.
    [[nodiscard]] io_status lock(lock_mode mode) noexcept;
    // Exactly `into.size()` bytes at the offset, or `ended`.
    [[nodiscard]] io_status read_at(std::uint64_t offset,
                                    std::span<std::uint8_t> into) const noexcept;
    // All of `bytes` at the offset.
    [[nodiscard]] io_status write_at(std::uint64_t offset,
                                     std::span<const std::uint8_t> bytes) noexcept;
    // Returns once what was written is on storage, or says why it cannot be.
    [[nodiscard]] io_status sync() noexcept;
    [[nodiscard]] io_status close() noexcept;

    [[nodiscard]] std::intptr_t handle() const noexcept { return handle_; }

private:
    std::intptr_t handle_ = -1; // the platform's descriptor or handle
};

} // namespace corvane
