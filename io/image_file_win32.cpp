#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "io/image_file.h"

namespace corvane {

namespace {

HANDLE handle_of(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Windows' errors as the errno values the reports name, so that a message reads the same on
// every platform.
io_status failed(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return {io_error::system, ENOENT};
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return {io_error::system, EACCES};
    case ERROR_SHARING_VIOLATION:
        return {io_error::system, EBUSY};
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return {io_error::system, ENOSPC};
    case ERROR_HANDLE_EOF:
        return {io_error::ended, 0};
    default:
        return {io_error::system, EIO};
    }
}

OVERLAPPED at_offset(std::uint64_t offset)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

std::int64_t nanoseconds(const LARGE_INTEGER& time) { return time.QuadPart * 100; }

// Byte-range locks bind every reader and writer on Windows, so the lock stands on one byte far
// past any image, which no step reads or writes.
constexpr std::uint64_t lock_sentinel = 0x7FFF'FFFF'FFFF'FFFEu;

} // namespace

image_file::~image_file()
{
    if (handle_ != -1)
        CloseHandle(handle_of(handle_));
}

io_status image_file::open(const char* name, open_mode mode) noexcept
{
    wchar_t wide[32768];
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, -1, wide, 32768) == 0)
        return failed(GetLastError());
    const DWORD attributes = GetFileAttributesW(wide);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return {io_error::not_regular_file, 0};
    // Never created. Other openers may read and write (a run's own steps among them), but
    // without delete sharing the image cannot be deleted or renamed over while it is open.
    const DWORD access = mode == open_mode::read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    const HANDLE file = CreateFileW(wide, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return failed(GetLastError());
    handle_ = reinterpret_cast<std::intptr_t>(file);
    if (GetFileType(file) != FILE_TYPE_DISK)
        return {io_error::not_regular_file, 0};
    return {};
}

io_status image_file::state(file_state& state) const noexcept
{
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO times{};
    if (!GetFileInformationByHandle(handle_of(handle_), &info) ||
        !GetFileInformationByHandleEx(handle_of(handle_), FileBasicInfo, &times, sizeof times))
        return failed(GetLastError());
    state = {info.dwVolumeSerialNumber,
             std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow,
             std::uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow,
             nanoseconds(times.LastWriteTime), nanoseconds(times.ChangeTime)};
    return {};
}

io_status image_file::lock(lock_mode mode) noexcept
{
    OVERLAPPED at = at_offset(lock_sentinel);
    const DWORD flags =
        LOCKFILE_FAIL_IMMEDIATELY | (mode == lock_mode::exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (LockFileEx(handle_of(handle_), flags, 0, 1, 0, &at))
        return {};
    const DWORD error = GetLastError();
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING)
        return {io_error::locked, 0};
    if (error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION)
        return {}; // a file system that cannot lock: the file is taken without one
    return failed(error);
}

io_status image_file::read_at(std::uint64_t offset, std::span<std::uint8_t> into) const noexcept
{
    for (std::size_t done = 0; done < into.size();) {
        OVERLAPPED at = at_offset(offset + done);
        const auto n = static_cast<DWORD>(std::min<std::size_t>(into.size() - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(handle_of(handle_), into.data() + done, n, &got, &at))
            return failed(GetLastError());
        if (got == 0)
            return {io_error::ended, 0};
        done += got;
    }
    return {};
}

io_status image_file::write_at(std::uint64_t offset, std::span<const std::uint8_t> bytes) noexcept
{
    for (std::size_t done = 0; done < bytes.size();) {
        OVERLAPPED at = at_offset(offset + done);
        const auto n = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD put = 0;
        if (!WriteFile(handle_of(handle_), bytes.data() + done, n, &put, &at))
            return failed(GetLastError());
        if (put == 0)
            return {io_error::system, ENOSPC};
        done += put;
    }
    return {};
}

io_status image_file::sync() noexcept
{
    return FlushFileBuffers(handle_of(handle_)) ? io_status{} : failed(GetLastError());
}

io_status image_file::close() noexcept
{
    const HANDLE file = handle_of(handle_);
    handle_ = -1;
    return CloseHandle(file) ? io_status{} : failed(GetLastError());
}

} // namespace corvane
