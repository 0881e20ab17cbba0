#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <limits>

#include "io/image_file.h"
#include "io/new_file_name.h"
#include "io/path_names.h"
#include "io/platform.h"

#if defined(__linux__)
#include <sys/vfs.h>
#endif

namespace corvane {

// Offsets lie within an image, whose size field holds 32 bits, or within a file's measured length:
// an off_t holds them all.
static_assert(sizeof(off_t) >= 8, "image lengths are measured in 64 bits");

namespace {

int fd_of(std::intptr_t handle) { return static_cast<int>(handle); }

io_status failed(int error) { return {io_error::system, error}; }
io_status failed(io_error error) { return {error, 0}; }

// File systems whose files stand for kernel settings or objects rather than
// stored bytes: writing padding into one of them changes the running system,
// and reading one gives no image.
io_status check_file_system([[maybe_unused]] int fd)
{
#if defined(__linux__)
    constexpr std::array<unsigned long, 28> pseudo = {
        0x9fa0 /* proc */,           0x62656572 /* sysfs */,
        0x64626720 /* debugfs */,    0x74726163 /* tracefs */,
        0x73636673 /* securityfs */, 0x27e0eb /* cgroup */,
        0x63677270 /* cgroup2 */,    0x62656570 /* configfs */,
        0xde5e81e4 /* efivarfs */,   0xcafe4a11 /* bpf */,
        0x6165676c /* pstore */,     0x65735543 /* fusectl */,
        0x1cd1 /* devpts */,         0xf97cff8c /* selinuxfs */,
        0x43415d53 /* smackfs */,    0x42494e4d /* binfmt_misc */,
        0x6e736673 /* nsfs */,       0x19800202 /* mqueue */,
        0x7655821 /* resctrl */,     0x5a3c69f0 /* apparmorfs */,
        0x6c6f6f70 /* binderfs */,   0xabba1974 /* xenfs */,
        0x67596969 /* rpc_pipefs */, 0x9fa1 /* openpromfs */,
        0x9fa2 /* usbdevfs */,       0x0187 /* autofs */,
        0x958458f6 /* hugetlbfs */,  0x454d444d /* devmem */};
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0)
        return {io_error::file_system_unknown, errno}; // refused: it may be one of them
    if (std::find(pseudo.begin(), pseudo.end(), static_cast<unsigned long>(fs.f_type)) !=
        pseudo.end())
        return failed(io_error::pseudo_file_system);
#endif
    return {};
}

// The one place a file's identity is taken from what stat(2) says.
file_identity identity_from(const struct stat& status)
{
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

std::int64_t nanoseconds(const auto& t) // seconds and nanoseconds
{
    return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
}

} // namespace

image_file::~image_file()
{
    if (handle_ >= 0)
        ::close(fd_of(handle_));
}

io_status image_file::open(const char* name, open_mode mode) noexcept
{
    // O_NONBLOCK so that a FIFO under the name cannot block the run; what was
    // opened is judged before any byte moves.
    const int flags =
        O_NOCTTY | O_CLOEXEC | O_NONBLOCK | (mode == open_mode::read ? O_RDONLY : O_RDWR);
    const int fd = ::open(name, flags);
    if (fd < 0)
        return failed(errno);
    handle_ = fd;
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return failed(errno);
    if (!S_ISREG(status.st_mode))
        return failed(io_error::not_regular_file);
    return check_file_system(fd);
}

io_status image_file::open_standard_input() noexcept
{
    handle_ = STDIN_FILENO;
    return {};
}

io_status image_file::create_beside(const char* target, std::span<char> name, bool& made) noexcept
{
    made = false;
    const new_files_beside beside(target);
    const std::size_t slash = beside.folder_length;
    for (unsigned n = 0; n < 100; ++n) {
        const int length =
            std::snprintf(name.data(), name.size(), "%.*s%.*s%ld.%u", static_cast<int>(slash),
                          target, static_cast<int>(beside.stem_length), beside.stem.data(),
                          static_cast<long>(::getpid()), n);
        if (length < 0 || static_cast<std::size_t>(length) >= name.size())
            return failed(ENAMETOOLONG);
        const int fd = ::open(name.data(), O_RDWR | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return failed(errno);
        // Held from here on. Before the lock, a run clearing what killed runs left may have taken
        // the file for one of theirs: it then holds the lock and removes the file, or has removed
        // the name already; either way the next name is tried. Any other failure leaves the file
        // this call made, which the caller removes.
        const auto fails = [&](int error) {
            ::close(fd);
            made = true;
            return failed(error);
        };
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno != ENOLCK && errno != EOPNOTSUPP) {
            if (errno != EWOULDBLOCK)
                return fails(errno);
            ::close(fd);
            continue;
        }
        struct stat opened {
        }, named{};
        if (::fstat(fd, &opened) != 0)
            return fails(errno);
        const bool named_now = ::stat(name.data(), &named) == 0;
        if (!named_now && errno != ENOENT)
            return fails(errno);
        if (!named_now || identity_from(opened) != identity_from(named)) {
            ::close(fd);
            continue;
        }
        handle_ = fd;
        made = true;
        return {};
    }
    return failed(EEXIST);
}

io_status image_file::rename_over(const char* own_name, const char* to) noexcept
{
    return ::rename(own_name, to) == 0 ? io_status{} : failed(errno);
}

io_status image_file::state(file_state& state) const noexcept
{
    struct stat status {};
    if (::fstat(fd_of(handle_), &status) != 0)
        return failed(errno);
#if defined(__APPLE__)
    const auto& modified = status.st_mtimespec;
    const auto& changed = status.st_ctimespec;
#else
    const auto& modified = status.st_mtim;
    const auto& changed = status.st_ctim;
#endif
    state = {identity_from(status), static_cast<std::uint64_t>(status.st_size),
             nanoseconds(modified), nanoseconds(changed)};
    return {};
}

io_status image_file::lock(lock_mode mode) noexcept
{
    if (::flock(fd_of(handle_), (mode == lock_mode::shared ? LOCK_SH : LOCK_EX) | LOCK_NB) == 0)
        return {};
    if (errno == EWOULDBLOCK)
        return failed(io_error::locked);
    if (errno == ENOLCK || errno == EOPNOTSUPP)
        return {};
    return failed(errno);
}

io_status image_file::read_at(std::uint64_t offset, std::span<std::uint8_t> into) const noexcept
{
    for (std::size_t done = 0; done < into.size();) {
        const ssize_t got = ::pread(fd_of(handle_), into.data() + done, into.size() - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return failed(errno);
        if (got == 0)
            return failed(io_error::ended);
        done += static_cast<std::size_t>(got);
    }
    return {};
}

io_status image_file::read_next(std::span<std::uint8_t> into, std::size_t& got) noexcept
{
    for (;;) {
        const ssize_t n = ::read(fd_of(handle_), into.data(), into.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failed(errno);
        got = static_cast<std::size_t>(n);
        return {};
    }
}

io_status image_file::write_at(std::uint64_t offset, std::span<const std::uint8_t> bytes) noexcept
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t put = ::pwrite(fd_of(handle_), bytes.data() + done, bytes.size() - done,
                                     static_cast<off_t>(offset + done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return failed(put < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(put);
    }
    return {};
}

void image_file::start_writeback([[maybe_unused]] std::uint64_t end) noexcept
{
#if defined(__linux__)
    // Writeback of everything written so far, started, not waited for; a failure here is the
    // flush's to say.
    ::sync_file_range(fd_of(handle_), 0, static_cast<off_t>(end), SYNC_FILE_RANGE_WRITE);
#endif
}

io_status image_file::sync() noexcept
{
#if defined(__linux__)
    // The data and the length it needs; not the times.
    const int result = ::fdatasync(fd_of(handle_));
#elif defined(__APPLE__)
    // fsync(2) leaves the data in the drive's cache there.
    const int result = ::fcntl(fd_of(handle_), F_FULLFSYNC);
#else
    const int result = ::fsync(fd_of(handle_));
#endif
    return result == 0 ? io_status{} : failed(errno);
}

io_status image_file::close() noexcept
{
    if (handle_ < 0)
        return {};
    const int fd = fd_of(handle_);
    handle_ = -1;
    // The descriptor is gone whatever close(2) says, even on EINTR.
    return ::close(fd) == 0 ? io_status{} : failed(errno);
}

io_status image_file::map(std::uint64_t offset, std::uint64_t length,
                          mapped_bytes& view) const noexcept
{
    view.unmap();
    const auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    const std::uint64_t skipped = offset % page;
    if (length == 0 || length + skipped > std::numeric_limits<std::size_t>::max())
        return failed(EINVAL);
    const auto mapped = static_cast<std::size_t>(length + skipped);
    // Faulted in as it is read, some pages at a time: filling the page tables up front
    // (MAP_POPULATE) measured no quicker.
    void* at = ::mmap(nullptr, mapped, PROT_READ, MAP_SHARED, fd_of(handle_),
                      static_cast<off_t>(offset - skipped));
    if (at == MAP_FAILED)
        return failed(errno);
    view.mapping_ = at;
    view.mapped_ = mapped;
    view.bytes_ = {static_cast<const std::uint8_t*>(at) + skipped,
                   static_cast<std::size_t>(length)};
    return {};
}

void mapped_bytes::unmap() noexcept
{
    if (mapping_ != nullptr)
        ::munmap(mapping_, mapped_);
    mapping_ = nullptr;
    bytes_ = {};
}

mapped_bytes::~mapped_bytes() { unmap(); }

namespace {

// Where a read of a mapping goes back to when it meets a page the file no longer has: the one
// read_mapped of this thread that is under way, or none.
thread_local sigjmp_buf* mapped_read_under_way = nullptr;

void on_missing_page(int signal)
{
    if (mapped_read_under_way != nullptr)
        ::siglongjmp(*mapped_read_under_way, 1);
    ::signal(signal, SIG_DFL); // not a mapped read's: the fault it is
    ::raise(signal);
}

// Nothing here but the jump: no object whose end the jump would skip.
bool read_guarded(void (*read)(void*), void* context)
{
    sigjmp_buf back;
    if (sigsetjmp(back, 1) != 0) {
        mapped_read_under_way = nullptr;
        return false;
    }
    mapped_read_under_way = &back;
    read(context);
    mapped_read_under_way = nullptr;
    return true;
}

} // namespace

bool read_mapped(void (*read)(void* context), void* context) noexcept
{
    // A page past the end of the file, or one its storage cannot give, is SIGBUS.
    struct sigaction ours {
    }, before{};
    ours.sa_handler = on_missing_page;
    sigemptyset(&ours.sa_mask);
    ::sigaction(SIGBUS, &ours, &before);
    const bool whole = read_guarded(read, context);
    ::sigaction(SIGBUS, &before, nullptr);
    return whole;
}

io_status remove_file(const char* name) noexcept
{
    return ::unlink(name) == 0 ? io_status{} : failed(errno);
}

io_status file_type_of(const char* name, file_type& type) noexcept
{
    struct stat status {};
    type = file_type::none;
    if (::lstat(name, &status) != 0)
        return errno == ENOENT || errno == ENOTDIR || errno == ELOOP || errno == ENAMETOOLONG
                   ? io_status{}
                   : failed(errno);
    const mode_t mode = status.st_mode & S_IFMT;
    type = mode == S_IFREG    ? file_type::regular
           : mode == S_IFLNK  ? file_type::link
           : mode == S_IFDIR  ? file_type::folder
           : mode == S_IFIFO  ? file_type::fifo
           : mode == S_IFSOCK ? file_type::socket
           : mode == S_IFCHR  ? file_type::character_device
           : mode == S_IFBLK  ? file_type::block_device
                              : file_type::other;
    return {};
}

io_status remove_stale_beside(const char* target, std::span<char> name) noexcept
{
    const new_files_beside beside(target);
    const std::size_t slash = beside.folder_length;
    char folder[4096];
    if (std::snprintf(folder, sizeof folder, "%.*s", static_cast<int>(slash), target) >=
        static_cast<int>(sizeof folder))
        return {};
    DIR* entries = ::opendir(slash == 0 ? "." : folder);
    if (entries == nullptr)
        return {}; // a folder that cannot be listed holds nothing this run made
    io_status first{};
    char candidate[sizeof folder + longest_file_name + 1];
    while (const dirent* entry = ::readdir(entries)) {
        if (!is_new_file_name(entry->d_name, beside.stem_text()))
            continue;
        std::snprintf(candidate, sizeof candidate, "%s%s", folder, entry->d_name);
        const int fd = ::open(candidate, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            continue;
        // Its run is gone where its lock can be taken; the name must still be the file locked.
        struct stat held {
        }, named{};
        const bool stale = ::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) &&
                           held.st_uid == ::geteuid() && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                           ::lstat(candidate, &named) == 0 &&
                           identity_from(held) == identity_from(named);
        if (stale && ::unlink(candidate) != 0 && first.ok()) {
            first = failed(errno);
            std::snprintf(name.data(), name.size(), "%s", candidate);
        }
        ::close(fd);
    }
    ::closedir(entries);
    return first;
}

io_status sync_folder_of(const char* name) noexcept
{
    char folder[4096];
    const std::string_view path(name);
    const std::size_t slash = path.rfind('/');
    const int length =
        slash == std::string_view::npos
            ? std::snprintf(folder, sizeof folder, ".")
            : std::snprintf(folder, sizeof folder, "%.*s", static_cast<int>(slash + 1), name);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof folder)
        return failed(ENAMETOOLONG);
    const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return failed(errno);
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    // Some file systems cannot flush a folder, and say so; their renames stand as they are.
    return synced || error == EINVAL || error == EROFS ? io_status{} : failed(error);
}

io_status identity_of(const char* name, std::optional<file_identity>& identity) noexcept
{
    struct stat status {};
    identity.reset();
    // A loop of symbolic links, or a name too long to resolve, stands for no file either: no
    // process can reach one through it.
    if (::stat(name, &status) == 0)
        identity = identity_from(status);
    else if (errno != ENOENT && errno != ENOTDIR && errno != ELOOP && errno != ENAMETOOLONG)
        return failed(errno);
    return {};
}

io_status identity_of(std::FILE* stream, bool& regular, file_identity& identity) noexcept
{
    struct stat status {};
    if (::fstat(::fileno(stream), &status) != 0)
        return failed(errno);
    regular = S_ISREG(status.st_mode);
    identity = identity_from(status);
    return {};
}

std::string_view system_message(int code, std::span<char> buffer) noexcept
{
    // strerror_r in its POSIX form where the C library offers it; glibc's own form may return
    // a text of its own instead of filling the buffer.
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
    return ::strerror_r(code, buffer.data(), buffer.size());
#else
    if (::strerror_r(code, buffer.data(), buffer.size()) != 0)
        std::snprintf(buffer.data(), buffer.size(), "error %d", code);
    return buffer.data();
#endif
}

std::size_t current_folder(std::span<char> into) noexcept
{
    if (into.empty() || ::getcwd(into.data(), into.size()) == nullptr)
        return 0;
    return std::strlen(into.data());
}

} // namespace corvane
