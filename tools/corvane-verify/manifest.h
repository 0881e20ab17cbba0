#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "verify/verify_image.h"

namespace corvane {

// One image a manifest lists, with the words it must have been stamped with.
struct listed_image {
    std::string path; // as the manifest gives it, from the manifest's folder where relative
    expected_image expected;
};

// The longest manifest read: some 28,000 lines of images, far beyond any product's, and a bound on
// what a name that is no manifest at all can make the checker hold.
inline constexpr std::size_t manifest_most = 4u << 20;

// Reads a manifest of images, one a line: "KIND SIZE_KB VERSION DEVICE_ID [sha256:HEX] PATH", the
// words apart by blanks (spaces or tabs) and read exactly as corvane-stamp reads its own (SIZE_KB
// "-" for any size), HEX the image's SHA-256 in 64 lower-case hexadecimal digits, PATH the rest of
// the line (one that starts with "sha256:" is written "./sha256:..."), CR LF ends as LF ends. A
// line of blanks, and one whose first word starts with #, is left out. A NUL anywhere, or another
// control byte outside PATH, is an error. A line that cannot be read, or a manifest that cannot,
// gives the refusal in `refusal` ("corvane-verify: MANIFEST:N: WHY"), and no images; so does one
// that lists no image, one that is not a regular file of stored bytes, one the system cannot read
// (its reason follows), and one longer than manifest_most. PATH is relative unless the platform
// says otherwise (io/path_names.h): on POSIX, unless it starts with '/'.
[[nodiscard]] std::vector<listed_image> read_manifest(const std::string& manifest,
                                                      std::string& refusal);

// The same of a manifest's text, `named` the printable name its refusals give, `folder` where its
// relative paths start.
[[nodiscard]] std::vector<listed_image> read_manifest_text(std::string_view text,
                                                           std::string_view named,
                                                           std::string_view folder,
                                                           std::string& refusal);

} // namespace corvane
