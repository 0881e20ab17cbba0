#pragma once

#include "io/file_state.h"

namespace corvane {

// What the run knows of its image between steps is a file_state: which file
// it is, and the length and modification time the tool's own last step left
// it with. Every step reopens the image by its name, so each one checks that
// it got the same file in the same state before it touches a byte.

enum class claim_result {
    claimed,
    open_failed,     // missing, not a regular file, or on a pseudo file system
    locked,          // another run holds the image
    standard_stream, // the image is this run's standard output or standard error
};

// The run's hold on its image: an exclusive advisory lock on a descriptor of
// its own, kept from the first step to the end of the run, so that two runs
// cannot stamp one file at once. Where the file system cannot lock at all,
// the run goes on without the lock.
class image_claim {
public:
    image_claim() = default;
    image_claim(const image_claim&) = delete;
    image_claim& operator=(const image_claim&) = delete;
    ~image_claim();

    // Opens the image by its bare name and takes the lock. Refuses what must
    // never be written: anything but a regular file, a file of a pseudo file
    // system (proc, sysfs and their like), and a file that is this run's own
    // standard output or standard error, whose report would land in the
    // image; such a stream is pointed at /dev/null before the refusal.
    [[nodiscard]] claim_result claim(const char* file_name) noexcept;

    // The file as it was claimed.
    [[nodiscard]] const file_state& state() const noexcept { return state_; }

private:
    int fd_ = -1;
    file_state state_{};
};

} // namespace corvane
