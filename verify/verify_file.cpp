#include "verify/verify_file.h"

#include <sys/file.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "io/file_state.h"
#include "io/image_file.h"

namespace corvane {

namespace {

file_check unreadable(std::string why)
{
    file_check result;
    result.error = std::move(why);
    return result;
}

std::string with_errno(const char* what, int error)
{
    return std::string(what) + ": " + std::strerror(error);
}

// A read that came back short found the end of a file that shrank under the
// check; a failed one left its errno.
std::string read_failure(const char* what)
{
    return errno == 0 ? "changed while it was checked" : with_errno(what, errno);
}

} // namespace

file_check check_image_file(const char* path, crc_buffer& buffer)
{
    int error = 0;
    image_stream stream = open_image(path, open_mode::read, &error);
    if (!stream)
        return unreadable(error == 0 ? "not a regular file" : with_errno("cannot open", error));
    if (::flock(::fileno(stream.get()), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return unreadable("locked by another process, which may be stamping it");

    file_state before{};
    if (!state_of(stream.get(), before))
        return unreadable(with_errno("cannot examine", errno));
    file_check result;
    result.length = static_cast<std::uint64_t>(before.length);
    result.has_header = result.length >= header_distance_from_end;
    errno = 0;
    if (result.has_header &&
        !read_at(stream.get(), result.length - header_distance_from_end, result.header.bytes))
        return unreadable(read_failure("cannot read the header"));
    const crc_pass_result pass = image_crc_pass(stream.get(), result.length, buffer);
    if (pass.status != crc_pass_status::ok)
        return unreadable(read_failure("cannot read"));
    file_state after{};
    if (!state_of(stream.get(), after) || !same_file_state(before, after))
        return unreadable("changed while it was checked");
    if (!stream.close())
        return unreadable(with_errno("cannot close", errno));

    result.read = true;
    result.computed_crc = pass.word;
    result.verdict = verify_image(result.length, result.has_header ? &result.header : nullptr,
                                  result.computed_crc);
    return result;
}

} // namespace corvane
