#include "verify/verify_file.h"

namespace corvane {

namespace {

// What one read of the whole file gave: the checksum over it, and the header where it is long
// enough to hold one, out of the very bytes the checksum was computed from.
struct snapshot {
    image_header header{};
    std::uint32_t crc = 0;

    friend bool operator==(const snapshot& a, const snapshot& b)
    {
        return a.header.bytes == b.header.bytes && a.crc == b.crc;
    }
};

// Two reads of the whole file, each a snapshot; the first read's SHA-256 too, where asked for.
io_status read_snapshots(const image_file& file, const image_layout& layout, snapshot& first,
                         snapshot& second, crc_buffer& buffer, sha256* digest)
{
    const auto header_of = [&layout](snapshot& read) {
        return layout.holds_header() ? pass_copy{layout.header_at, read.header.bytes} : pass_copy{};
    };
    crc_pass_result passes[2] = {{0, header_of(first), digest}, {0, header_of(second), nullptr}};
    const io_status s = image_crc_passes(file, layout, buffer, passes);
    first.crc = passes[0].word;
    second.crc = passes[1].word;
    return s;
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
    const image_layout layout = layout_of(result.state.length);
    result.has_header = layout.holds_header();
    // Two reads, which must agree: a writer that ignores the lock may be writing the file while it
    // is read, which the file's times need not show (a shared mapping, a file system whose times
    // do not move), and a verdict is only given on bytes that read the same twice.
    snapshot first;
    snapshot second;
    sha256 digest;
    if (const io_status s = read_snapshots(file, layout, first, second, buffer,
                                           expected.sha256 ? &digest : nullptr);
        !s.ok())
        return unreadable("cannot read", s);
    if (expected.sha256)
        result.sha256 = digest.finish();
    if (first != second)
        return unreadable("", moved);
    result.header = first.header;
    result.computed_crc = first.crc;
    result.verdict =
        verify_image(layout.size, result.has_header ? &result.header : nullptr, result.computed_crc,
                     expected, result.sha256 ? &*result.sha256 : nullptr);
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
