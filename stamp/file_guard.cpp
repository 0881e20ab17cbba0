#include "stamp/file_guard.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <initializer_list>

namespace corvane {

namespace {

// File systems whose files stand for kernel settings or objects rather than
// stored bytes: writing padding into one of them changes the running system.
bool is_pseudo_file_system(int fd) noexcept
{
    constexpr std::array<unsigned long, 17> pseudo = {
        PROC_SUPER_MAGIC,   SYSFS_MAGIC,        DEBUGFS_MAGIC,       TRACEFS_MAGIC,
        SECURITYFS_MAGIC,   CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC, 0x62656570 /* configfs */,
        EFIVARFS_MAGIC,     BPF_FS_MAGIC,       PSTOREFS_MAGIC,      0x65735543 /* fusectl */,
        DEVPTS_SUPER_MAGIC, SELINUX_MAGIC,      SMACK_MAGIC,         BINFMTFS_MAGIC,
        NSFS_MAGIC};
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0)
        return true; // unknown: refuse rather than risk it
    const auto type = static_cast<unsigned long>(fs.f_type);
    return std::find(pseudo.begin(), pseudo.end(), type) != pseudo.end();
}

bool is_same_file(int fd, const file_state& image) noexcept
{
    struct stat s {};
    return ::fstat(fd, &s) == 0 && s.st_dev == image.device && s.st_ino == image.inode;
}

} // namespace

image_claim::~image_claim()
{
    if (fd_ >= 0)
        ::close(fd_); // releases the lock
}

claim_result image_claim::claim(const char* file_name) noexcept
{
    fd_ = ::open(file_name, O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    struct stat s {};
    if (fd_ < 0 || ::fstat(fd_, &s) != 0 || !S_ISREG(s.st_mode) || is_pseudo_file_system(fd_))
        return claim_result::open_failed;
    state_ = state_from(s);

    // Nothing may reach the image through the run's own output: such a stream
    // is pointed at /dev/null, so that not even what is already buffered for
    // it lands in the image.
    bool is_standard_stream = false;
    for (const int stream : {STDOUT_FILENO, STDERR_FILENO}) {
        if (!is_same_file(stream, state_))
            continue;
        is_standard_stream = true;
        if (const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC); null >= 0) {
            ::dup2(null, stream);
            ::close(null);
        }
    }
    if (is_standard_stream)
        return claim_result::standard_stream;

    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            return claim_result::locked;
        if (errno != ENOLCK && errno != EOPNOTSUPP)
            return claim_result::open_failed;
    }
    return claim_result::claimed;
}

} // namespace corvane
