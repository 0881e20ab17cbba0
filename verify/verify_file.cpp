#include "verify/verify_file.h"

namespace corvane {

namespace {

// A step of reading that failed, and what it was.
struct read_failure {
    const char* what = nullptr;
    io_status status{};

    explicit operator bool() const noexcept { return what != nullptr; }
};

// The header, where the file is long enough to hold one, and the checksum over the file.
read_failure read_image(const image_file& file, std::uint64_t length, image_header& header,
                        std::uint32_t& crc, crc_buffer& buffer)
{
    if (length >= header_distance_from_end)
        if (const io_status s = file.read_at(length - header_distance_from_end, header.bytes);
            !s.ok())
            return {"cannot read the header", s};
    if (const io_status s = image_crc_pass(file, length, buffer, crc); !s.ok())
        return {"cannot read", s};
    return {};
}

} // namespace

file_check check_image_file(const char* path, crc_buffer& buffer, const expected_image& expected)
{
    file_check result;
    const auto unreadable = [&result](const char* what, io_status status) {
        char words[256];
        result.read = false;
        if (status.error == io_error::ended) // shorter than it measured, or moved while read
            result.error = "changed while it was checked";
        else if (status.error == io_error::system)
            result.error = std::string(what) + ": " + std::string(describe(status, words));
        else
            result.error = describe(status, words);
        return result;
    };
    constexpr io_status moved = {io_error::ended, 0};

    image_file file;
    if (const io_status s = file.open(path, open_mode::read); !s.ok())
        return unreadable("cannot open", s);
    // The state the check holds the file to is taken once the lock is held. One that a stamping
    // run holds is still told which file it is, to be compared with the standard streams.
    if (const io_status s = file.lock(lock_mode::shared); !s.ok()) {
        result.identified = file.state(result.state).ok();
        return unreadable("cannot lock", s);
    }
    if (const io_status s = file.state(result.state); !s.ok())
        return unreadable("cannot examine", s);
    result.identified = true;
    const std::uint64_t length = result.state.length;
    result.has_header = length >= header_distance_from_end;
    if (const read_failure f = read_image(file, length, result.header, result.computed_crc, buffer))
        return unreadable(f.what, f.status);
    result.verdict = verify_image(length, result.has_header ? &result.header : nullptr,
                                  result.computed_crc, expected);
    if (!result.verdict.valid()) {
        image_header header;
        std::uint32_t crc = 0;
        if (const read_failure f = read_image(file, length, header, crc, buffer))
            return unreadable(f.what, f.status);
        if (header.bytes != result.header.bytes || crc != result.computed_crc)
            return unreadable("", moved);
    }
    file_state after{};
    if (const io_status s = file.state(after); !s.ok())
        return unreadable("cannot examine", s);
    if (after != result.state)
        return unreadable("", moved);
    if (const io_status s = file.close(); !s.ok())
        return unreadable("cannot close", s);
    result.read = true;
    return result;
}

} // namespace corvane
