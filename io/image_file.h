#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string_view>

namespace corvane {

// Which file it is: the device (volume) it is on and its number there. A device of 0 is one the
// platform could not name (wine, for a handle its host gave it); such an identity matches on the
// number alone, so that a doubt counts as the same file.
struct file_identity {
    std::uint64_t device = 0;
    std::uint64_t file_id = 0;

    friend bool operator==(const file_identity&, const file_identity&) = default;
};
[[nodiscard]] constexpr bool same_file(const file_identity& a, const file_identity& b) noexcept
{
    return a.file_id == b.file_id && (a.device == b.device || a.device == 0 || b.device == 0);
}

// Which file it is, and the state it is in: enough to tell that a later look
// at the file by its name found the same file, unchanged. A change of the
// bytes moves the change time even where a coarse clock keeps the
// modification time.
struct file_state {
    file_identity identity;
    std::uint64_t length = 0;
    std::int64_t modified_ns{}; // modification time, in nanoseconds since the epoch
    std::int64_t changed_ns{};  // change time, likewise

    friend bool operator==(const file_state&, const file_state&) = default;
};

// What went wrong with a file operation.
enum class io_error : std::uint8_t {
    none,
    system,              // the system refused; `system_error` holds its code
    not_regular_file,    // a directory, FIFO, socket or device
    pseudo_file_system,  // a file that stands for kernel state (proc, sysfs and their like)
    file_system_unknown, // the file system could not be asked what it is; `system_error` says why
    locked,              // another process holds the lock
    ended,               // the file ended before the bytes asked for
};

struct io_status {
    io_error error = io_error::none;
    int system_error = 0; // the platform's own code: errno, or what GetLastError gave

    [[nodiscard]] bool ok() const noexcept { return error == io_error::none; }
};

// Why an operation failed, in words a user can act on: the system's own (strerror, or Windows'
// message) for what the system refused, else what the file turned out to be. Composed in
// `buffer` where it must be.
[[nodiscard]] std::string_view describe(const io_status& status, std::span<char> buffer) noexcept;

enum class open_mode { read, update };
class mapped_bytes;
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
    // The process's standard input, as an input to read from start to end: a file, a pipe or a
    // terminal, whatever it is. Closed like any other.
    [[nodiscard]] io_status open_standard_input() noexcept;
    // A new file beside `target`, in its folder, under a name no file had (new_file_name.h): made
    // exclusively, never over an existing file, with the mode a new file gets there, open for
    // reading and writing, and held against remove_stale_beside for as long as it is open (a
    // lock on POSIX, the sharing mode on Windows). Its name goes into `name`, which must hold the
    // target's folder and longest_file_name + 1 bytes more. `made` says whether a file of this
    // call's stands under `name`, also where the call failed after making it: the caller removes
    // it.
    [[nodiscard]] io_status create_beside(const char* target, std::span<char> name,
                                          bool& made) noexcept;
    // This file, made by create_beside under `own_name`, renamed over `to` at once: `to` is the old
    // file or the new one, never anything between. On POSIX the file stays open and held through
    // the rename, and close() ends it; Windows renames only a closed file, so it is closed first.
    [[nodiscard]] io_status rename_over(const char* own_name, const char* to) noexcept;
    [[nodiscard]] io_status state(file_state& state) const noexcept;
    // Without waiting: `locked` when another process holds a lock that
    // conflicts. Where the file system cannot lock at all, the file is taken
    // without one. Held until the file is closed.
    [[nodiscard]] io_status lock(lock_mode mode) noexcept;
    // Exactly `into.size()` bytes at the offset, or `ended`.
    [[nodiscard]] io_status read_at(std::uint64_t offset,
                                    std::span<std::uint8_t> into) const noexcept;
    // Up to `into.size()` bytes from where the last of these reads ended: `got` says how many, and
    // is 0 only at the end of the input.
    [[nodiscard]] io_status read_next(std::span<std::uint8_t> into, std::size_t& got) noexcept;
    // All of `bytes` at the offset.
    [[nodiscard]] io_status write_at(std::uint64_t offset,
                                     std::span<const std::uint8_t> bytes) noexcept;
    // Starts writing the bytes up to `end` out to storage without waiting for them (Linux), so
    // that a flush at the end has little left to do; elsewhere it does nothing.
    void start_writeback(std::uint64_t end) noexcept;
    // Returns once what was written is on storage, or says why it cannot be.
    [[nodiscard]] io_status sync() noexcept;
    // Nothing for a file that is not open.
    [[nodiscard]] io_status close() noexcept;
    // `length` bytes from the offset mapped for reading, into `view` (in place of what it held),
    // where the platform maps files (POSIX); else, or where this file cannot be mapped, an error
    // and nothing mapped. Read only through read_mapped: a file that shrinks under a mapping makes
    // a plain access end the process. What is mapped counts as the process's resident memory once
    // it is read: map a window at a time.
    [[nodiscard]] io_status map(std::uint64_t offset, std::uint64_t length,
                                mapped_bytes& view) const noexcept;

private:
    std::intptr_t handle_ = -1; // the platform's descriptor or handle
};

// A file's bytes mapped for reading, unmapped when it goes.
class mapped_bytes {
public:
    mapped_bytes() = default;
    mapped_bytes(const mapped_bytes&) = delete;
    mapped_bytes& operator=(const mapped_bytes&) = delete;
    ~mapped_bytes();

    [[nodiscard]] std::span<const std::uint8_t> bytes() const noexcept { return bytes_; }

private:
    friend class image_file;
    void unmap() noexcept;
    std::span<const std::uint8_t> bytes_;
    void* mapping_ = nullptr; // from the page the bytes start in
    std::size_t mapped_ = 0;
};

// Runs `read(context)`, which reads a mapping and may do nothing but read it: false where that
// read met bytes the file no longer has (it shrank under the mapping, or its storage failed), which
// then end it early instead of ending the process. One read at a time in a thread.
[[nodiscard]] bool read_mapped(void (*read)(void* context), void* context) noexcept;

[[nodiscard]] io_status remove_file(const char* name) noexcept;

// What stands under a name, the name itself where it is a symbolic link.
enum class file_type : std::uint8_t {
    none, // nothing, or nothing any process can reach through the name
    regular,
    link,
    folder,
    fifo,
    socket,
    character_device,
    block_device,
    other,
};
[[nodiscard]] io_status file_type_of(const char* name, file_type& type) noexcept;
// "a FIFO", "a character device" and the like.
[[nodiscard]] std::string_view describe(file_type kind) noexcept;

// Removes the new files that runs killed before their end left beside `target`: every file of
// the new files' names for it that no live run holds and that is the running user's own (on POSIX;
// Windows keeps a live run's file from deletion). Such a file another run still holds, another
// user's, or one this process may not open, stays. Says the first that could not be removed, its
// name in `name` (which holds as much as create_beside's), and goes on with the others.
[[nodiscard]] io_status remove_stale_beside(const char* target, std::span<char> name) noexcept;
// Returns once the folder that holds `name` has its entries on storage (a rename in it, say);
// where the platform has no such flush (Windows, whose rename writes through), at once.
[[nodiscard]] io_status sync_folder_of(const char* name) noexcept;

// What a name stands for now, links followed, without reading it: a file that may not be read
// has an identity too. Nothing (and no error) where nothing stands under the name, or where the
// name cannot stand for any file (a loop of symbolic links, a name too long to resolve).
[[nodiscard]] io_status identity_of(const char* name,
                                    std::optional<file_identity>& identity) noexcept;

// Whether the two names stand for one file, so that replacing one replaces the other: the same
// file now (links followed: a doubt counts as one), or, where neither is there yet, one name in
// one folder.
[[nodiscard]] io_status names_one_file(const char* a, const char* b, bool& same) noexcept;

// What a standard stream is: whether it is a regular file, which one. A stream the system cannot
// say anything about is an error.
[[nodiscard]] io_status identity_of(std::FILE* stream, bool& regular,
                                    file_identity& identity) noexcept;

} // namespace corvane
