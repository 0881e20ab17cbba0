#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>

namespace corvane {

// How a step opens the image: "rb" or "rb+".
enum class open_mode { read, update };

// A stream on the image file for the length of one step. close() reports
// whether the close succeeded; the destructor only closes what an early
// return left open, when the step has already failed.
class image_stream {
public:
    image_stream() = default;
    explicit image_stream(std::FILE* file) noexcept : file_(file) {}
    image_stream(image_stream&& other) noexcept;
    image_stream& operator=(image_stream&&) = delete;
    ~image_stream();

    explicit operator bool() const noexcept { return file_ != nullptr; }
    [[nodiscard]] std::FILE* get() const noexcept { return file_; }
    [[nodiscard]] bool close() noexcept;

private:
    std::FILE* file_ = nullptr;
};

// Opens the image by its name (a bare name is in the current directory). Only
// a regular file (a symbolic link is followed) is opened: a directory, FIFO,
// socket or device is refused without blocking. A missing file is never
// created. When nothing is opened, `error` (if given) receives the errno of
// the call that failed, or 0 for a name that is not a regular file.
[[nodiscard]] image_stream open_image(const char* file_name, open_mode mode,
                                      int* error = nullptr) noexcept;

// The stream's length in bytes, in 64 bits; the position is left as it was.
// Nothing when a seek or a position query fails.
[[nodiscard]] std::optional<std::uint64_t> file_length(std::FILE* stream) noexcept;

// Reads exactly `into.size()` bytes at an absolute offset with pread(2),
// straight into the caller's buffer and without moving the stream's
// position. False on an error or on a file that ends first.
[[nodiscard]] bool read_at(std::FILE* stream, std::uint64_t offset,
                           std::span<std::uint8_t> into) noexcept;

// Positions the stream at an absolute byte offset.
[[nodiscard]] bool seek_to(std::FILE* stream, std::uint64_t offset) noexcept;

} // namespace corvane
