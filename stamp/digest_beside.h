#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

#include "image/sha256.h"
#include "io/image_file.h"

namespace corvane {

// The SHA-256 of the new file, computed beside the stamping on a thread of its own, so that on a
// machine with a second core it costs the run little more than the stamping itself: the thread
// reads the new file back as far as the sequence says it is written, and hashes it, lagging as far
// as it must, through a buffer of static storage (one at a time), so that no more of the file is
// resident than the buffer. (A mapping of the new file, which a second thread faults in beside the
// writing one, measured slower.) Where no digest is wanted, nothing runs beside. Never copied, as
// its thread is not.
class digest_beside {
public:
    digest_beside(bool wanted, const image_file& file);
    ~digest_beside();

    // The file's first `end` bytes are written.
    void written(std::uint64_t end) noexcept;
    // The digest of the file's first `size` bytes, written by then, once the thread has them, or
    // why the thread could not read them.
    [[nodiscard]] io_status finish(std::uint64_t size,
                                   std::array<std::uint8_t, 32>& digest) noexcept;

private:
    void run() noexcept;
    // Feeds the bytes from `from` up to `to` to `digest`, or says why they cannot be read.
    [[nodiscard]] io_status feed(sha256& digest, std::uint64_t from, std::uint64_t to) noexcept;

    const image_file& file_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::uint64_t written_ = 0;
    std::uint64_t end_{}; // the size asked for, once finish() is called
    bool finishing_ = false;
    io_status read_{};
    std::array<std::uint8_t, 32> digest_{};
    std::thread thread_;
};

} // namespace corvane
