#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "io/image_file.h"
#include "io/new_file_name.h"
#include "io/path_names.h"
#include "io/platform.h"

namespace corvane {

namespace {

HANDLE handle_of(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

io_status failed(DWORD error)
{
    if (error == ERROR_HANDLE_EOF)
        return {io_error::ended, 0};
    return {io_error::system, static_cast<int>(error)};
}

// Names arrive in UTF-8; Windows takes them in UTF-16. A path too long for the plain form
// (MAX_PATH) is made absolute and given the \\?\ prefix, with which every file call takes paths
// up to 32,767 characters, whatever the system's long-path setting.
bool widen(const char* name, wchar_t (&wide)[32768])
{
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, -1, wide, 32768);
    if (length == 0)
        return false;
    if (length <= MAX_PATH - 12 || std::wcsncmp(wide, L"\\\\?\\", 4) == 0)
        return true;
    wchar_t full[32768];
    const DWORD n = GetFullPathNameW(wide, 32768, full, nullptr);
    if (n == 0 || n >= 32768 - 8)
        return false;
    const bool unc = std::wcsncmp(full, L"\\\\", 2) == 0; // \\server\share\...
    std::swprintf(wide, 32768, unc ? L"\\\\?\\UNC%ls" : L"\\\\?\\%ls", unc ? full + 1 : full);
    return true;
}

// The one place a file's identity is taken from a handle. Wine knows no volume for a handle it
// was given by its host (a redirected standard stream): there the file's number stands alone, with
// the volume unknown, so that a doubt counts as the same file.
bool identity_of_handle(HANDLE handle, file_identity& identity)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(handle, &info)) {
        identity = {info.dwVolumeSerialNumber,
                    std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
        return true;
    }
    FILE_ID_INFO id{};
    if (!GetFileInformationByHandleEx(handle, FileIdInfo, &id, sizeof id))
        return false;
    identity = {};
    std::memcpy(&identity.file_id, id.FileId.Identifier, sizeof identity.file_id);
    return true;
}

// A name that stands for no file any process can reach: missing, or a loop of links, or a name
// too long or not valid.
bool names_no_file(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_NAME || error == ERROR_CANT_RESOLVE_FILENAME ||
           error == ERROR_FILENAME_EXCED_RANGE;
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
    if (!widen(name, wide))
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

io_status image_file::open_standard_input() noexcept
{
    handle_ = reinterpret_cast<std::intptr_t>(GetStdHandle(STD_INPUT_HANDLE));
    return {};
}

io_status image_file::create_beside(const char* target, std::span<char> name, bool& made) noexcept
{
    made = false;
    const new_files_beside beside(target);
    const std::size_t slash = beside.folder_length;
    for (unsigned n = 0; n < 100; ++n) {
        const int length =
            std::snprintf(name.data(), name.size(), "%.*s%.*s%lu.%u", static_cast<int>(slash),
                          target, static_cast<int>(beside.stem_length), beside.stem.data(),
                          static_cast<unsigned long>(GetCurrentProcessId()), n);
        wchar_t wide[32768];
        if (length < 0 || static_cast<std::size_t>(length) >= name.size())
            return failed(ERROR_FILENAME_EXCED_RANGE);
        if (!widen(name.data(), wide))
            return failed(GetLastError());
        // Not shared for deletion: no other process can remove it while it is open.
        const HANDLE file = CreateFileW(wide, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<std::intptr_t>(file);
            made = true;
            return {};
        }
        if (const DWORD error = GetLastError(); error != ERROR_FILE_EXISTS)
            return failed(error);
    }
    return failed(ERROR_FILE_EXISTS);
}

io_status image_file::rename_over(const char* own_name, const char* to) noexcept
{
    if (const io_status closed = close(); !closed.ok())
        return closed;
    wchar_t wide_from[32768];
    wchar_t wide_to[32768];
    if (!widen(own_name, wide_from) || !widen(to, wide_to))
        return failed(GetLastError());
    return MoveFileExW(wide_from, wide_to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? io_status{}
               : failed(GetLastError());
}

io_status image_file::state(file_state& state) const noexcept
{
    FILE_STANDARD_INFO size{};
    FILE_BASIC_INFO times{};
    if (!identity_of_handle(handle_of(handle_), state.identity) ||
        !GetFileInformationByHandleEx(handle_of(handle_), FileStandardInfo, &size, sizeof size) ||
        !GetFileInformationByHandleEx(handle_of(handle_), FileBasicInfo, &times, sizeof times))
        return failed(GetLastError());
    state.length = static_cast<std::uint64_t>(size.EndOfFile.QuadPart);
    state.modified_ns = nanoseconds(times.LastWriteTime);
    state.changed_ns = nanoseconds(times.ChangeTime);
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

io_status image_file::read_next(std::span<std::uint8_t> into, std::size_t& got) noexcept
{
    DWORD n = 0;
    const auto asked = static_cast<DWORD>(std::min<std::size_t>(into.size(), 1u << 30));
    if (!ReadFile(handle_of(handle_), into.data(), asked, &n, nullptr)) {
        const DWORD error = GetLastError();
        if (error != ERROR_BROKEN_PIPE && error != ERROR_HANDLE_EOF)
            return failed(error);
        n = 0; // a pipe whose writer is done: the end of the input
    }
    got = n;
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
            return failed(ERROR_DISK_FULL);
        done += put;
    }
    return {};
}

void image_file::start_writeback(std::uint64_t) noexcept {}

io_status image_file::sync() noexcept
{
    return FlushFileBuffers(handle_of(handle_)) ? io_status{} : failed(GetLastError());
}

io_status image_file::close() noexcept
{
    if (handle_ == -1)
        return {};
    const HANDLE file = handle_of(handle_);
    handle_ = -1;
    return CloseHandle(file) ? io_status{} : failed(GetLastError());
}

io_status image_file::map(std::uint64_t, std::uint64_t, mapped_bytes&) const noexcept
{
    // A fault in a mapped view needs structured exception handling to survive, which this build
    // does not use: passes read into their buffer instead.
    return failed(ERROR_NOT_SUPPORTED);
}

void mapped_bytes::unmap() noexcept {}

mapped_bytes::~mapped_bytes() = default;

bool read_mapped(void (*read)(void* context), void* context) noexcept
{
    read(context);
    return true;
}

io_status remove_file(const char* name) noexcept
{
    wchar_t wide[32768];
    if (!widen(name, wide))
        return failed(GetLastError());
    return DeleteFileW(wide) ? io_status{} : failed(GetLastError());
}

io_status file_type_of(const char* name, file_type& type) noexcept
{
    type = file_type::none;
    wchar_t wide[32768];
    if (!widen(name, wide))
        return failed(GetLastError());
    const HANDLE file = CreateFileW(
        wide, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return names_no_file(error) ? io_status{} : failed(error);
    }
    const DWORD handle_type = GetFileType(file);
    FILE_BASIC_INFO basic{};
    const bool described = handle_type != FILE_TYPE_DISK ||
                           GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!described)
        return failed(error);
    type = handle_type == FILE_TYPE_CHAR   ? file_type::character_device
           : handle_type == FILE_TYPE_PIPE ? file_type::fifo
           : handle_type != FILE_TYPE_DISK ? file_type::other
           : (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? file_type::link
           : (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0     ? file_type::folder
                                                                        : file_type::regular;
    return {};
}

io_status remove_stale_beside(const char* target, std::span<char> name) noexcept
{
    const new_files_beside beside(target);
    const std::size_t slash = beside.folder_length;
    char pattern[4096];
    if (std::snprintf(pattern, sizeof pattern, "%.*s*", static_cast<int>(slash), target) >=
        static_cast<int>(sizeof pattern))
        return {};
    wchar_t wide[32768];
    WIN32_FIND_DATAW found{};
    const HANDLE entries =
        widen(pattern, wide) ? FindFirstFileW(wide, &found) : INVALID_HANDLE_VALUE;
    if (entries == INVALID_HANDLE_VALUE)
        return {}; // a folder that cannot be listed holds nothing this run made
    io_status first{};
    do {
        char entry[longest_file_name * 3 + 1];
        const int n = WideCharToMultiByte(CP_UTF8, 0, found.cFileName, -1, entry, sizeof entry,
                                          nullptr, nullptr);
        if (n == 0 || !is_new_file_name(entry, beside.stem_text()))
            continue;
        char candidate[sizeof pattern + sizeof entry];
        std::snprintf(candidate, sizeof candidate, "%.*s%s", static_cast<int>(slash), target,
                      entry);
        // A file its run still has open is not shared for deletion, and stays.
        if (widen(candidate, wide) && !DeleteFileW(wide)) {
            const DWORD error = GetLastError();
            if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED &&
                error != ERROR_FILE_NOT_FOUND && first.ok()) {
                first = failed(error);
                std::snprintf(name.data(), name.size(), "%s", candidate);
            }
        }
    } while (FindNextFileW(entries, &found));
    FindClose(entries);
    return first;
}

io_status sync_folder_of(const char*) noexcept
{
    return {}; // the rename wrote through (MOVEFILE_WRITE_THROUGH)
}

io_status identity_of(const char* name, std::optional<file_identity>& identity) noexcept
{
    identity.reset();
    wchar_t wide[32768];
    if (!widen(name, wide))
        return failed(GetLastError());
    // Attributes only: a file that may not be read has an identity too.
    const HANDLE file = CreateFileW(wide, FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return names_no_file(error) ? io_status{} : failed(error);
    }
    file_identity found;
    const bool known = identity_of_handle(file, found);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!known)
        return failed(error);
    identity = found;
    return {};
}

io_status identity_of(std::FILE* stream, bool& regular, file_identity& identity) noexcept
{
    // A closed stream has no handle, and a console or a pipe is no file.
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    regular = handle != INVALID_HANDLE_VALUE && handle != nullptr &&
              GetFileType(handle) == FILE_TYPE_DISK;
    if (regular && !identity_of_handle(handle, identity))
        return failed(GetLastError());
    return {};
}

std::string_view system_message(int code, std::span<char> buffer) noexcept
{
    // The errors a user meets most read as they do on POSIX systems, so that a script or a person
    // sees one text on every platform; the rest in Windows' own words.
    switch (static_cast<DWORD>(code)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return std::strerror(ENOENT);
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return std::strerror(EACCES);
    case ERROR_SHARING_VIOLATION:
        return std::strerror(EBUSY);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return std::strerror(ENOSPC);
    case ERROR_FILE_TOO_LARGE:
        return std::strerror(EFBIG);
    case ERROR_CANT_RESOLVE_FILENAME: // a loop of links; the C library has no text for ELOOP
        return "Too many levels of symbolic links";
    case ERROR_FILENAME_EXCED_RANGE:
        return "File name too long";
    default:
        break;
    }
    wchar_t wide[512];
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, static_cast<DWORD>(code), 0, wide, 512, nullptr);
    const int written =
        n == 0 ? 0
               : WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(n), buffer.data(),
                                     static_cast<int>(buffer.size()) - 1, nullptr, nullptr);
    std::string_view text(buffer.data(), static_cast<std::size_t>(std::max(written, 0)));
    while (!text.empty() && std::string_view("\r\n .").find(text.back()) != std::string_view::npos)
        text.remove_suffix(1); // "The system cannot find the file specified.\r\n"
    if (!text.empty())
        return text;
    const int length = std::snprintf(buffer.data(), buffer.size(), "Windows error %d", code);
    return {buffer.data(), static_cast<std::size_t>(length)};
}

std::size_t current_folder(std::span<char> into) noexcept
{
    wchar_t wide[32768];
    const DWORD length = GetCurrentDirectoryW(32768, wide);
    if (length == 0 || length >= 32768)
        return 0;
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), into.data(),
                                      static_cast<int>(into.size()), nullptr, nullptr);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

} // namespace corvane
