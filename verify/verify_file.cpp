#include "verify/verify_file.h"

#include <cstring>
#include <utility>

namespace corvane {

namespace {

file_check unreadable(const char* what, io_status status)
{
    file_check result;
    switch (status.error) {
    case io_error::not_regular_file:
        result.error = "not a regular file";
        break;
    case io_error::pseudo_file_system:
        result.error = "not a stored file (a pseudo file system)";
        break;
    case io_error::locked:
        result.error = "locked by another process, which may be stamping it";
        break;
    case io_error::ended:
        result.error = "changed while it was checked";
        break;
    case io_error::system:
    case io_error::none:
        result.error = std::string(what) + ": " + std::strerror(status.system_error);
        break;
    }
    return result;
}

file_check changed() { return unreadable("", {io_error::ended, 0}); }

} // namespace

file_check check_image_file(const char* path, crc_buffer& buffer, const expected_image& expected)
{
    image_file file;
    if (const io_status opened = file.open(path, open_mode::read); !opened.ok())
        return unreadable("cannot open", opened);
    if (const io_status locked = file.lock(lock_mode::shared); !locked.ok())
        return unreadable("cannot lock", locked);

    file_check result;
    if (const io_status s = file.state(result.state); !s.ok())
        return unreadable("cannot examine", s);
    const std::uint64_t length = result.state.length;
    result.has_header = length >= header_distance_from_end;
    if (result.has_header)
        if (const io_status s =
                file.read_at(length - header_distance_from_end, result.header.bytes);
            !s.ok())
            return unreadable("cannot read the header", s);
    if (const io_status s = image_crc_pass(file, length, buffer, result.computed_crc); !s.ok())
        return unreadable("cannot read", s);
    file_state after{};
    if (const io_status s = file.state(after); !s.ok())
        return unreadable("cannot examine", s);
    if (after != result.state)
        return changed();
    if (const io_status s = file.close(); !s.ok())
        return unreadable("cannot close", s);

    result.read = true;
    result.verdict = verify_image(length, result.has_header ? &result.header : nullptr,
                                  result.computed_crc, expected);
    return result;
}

} // namespace corvane
