#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "image/image_header.h"
#include "io/crc_pass.h"
#include "io/image_file.h"
#include "verify/verify_image.h"

namespace corvane {

// What checking one file found: its length, the header bytes where its layout puts them
// when it has them, the checksum computed over it and the verdict; or, when
// the file could not be read to the end, why not.
struct file_check {
    bool read = false; // false: `error` says why, and nothing else is set but `identified`
    std::string error;
    bool identified = false; // it opened, and `state.identity` says which file it is
    file_state state{};      // which file it was, and its length
    bool has_header = false; // the file is long enough to hold one
    image_header header{};
    std::uint32_t computed_crc = 0;
    std::optional<digest_bytes> sha256{}; // the file's, where a digest is expected
    image_verdict verdict{};

    // The bytes where the header goes are a header to show: they start with the signature.
    [[nodiscard]] bool shows_header() const noexcept
    {
        return read && has_header && has_signature(header);
    }
};

// Reads the file for checking only: it is opened read-only, and only a
// regular file of a file system that stores bytes is opened at all. A shared
// lock keeps a stamping run from starting on it while it is read, and one
// that is already stamping it makes the check fail rather than judge a
// half-written image; a file whose state changes under the check fails it
// too. The file is read whole twice, each read giving the checksum and the
// header out of the same bytes, and is judged only when both reads agree: a
// writer that ignores the lock may be writing it while it is read, which the
// file's times need not show. The checksum is computed by the same pass the
// stamping uses, and the image is judged against what the caller expects as well.
[[nodiscard]] file_check check_image_file(const char* path, crc_buffer& buffer,
                                          const expected_image& expected);

} // namespace corvane
