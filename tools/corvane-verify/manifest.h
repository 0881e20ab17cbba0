#pragma once

#include <string>
#include <vector>

#include "verify/verify_image.h"

namespace corvane {

// One image a manifest lists, with the words it must have been stamped with.
struct listed_image {
    std::string path; // as the manifest gives it, from the manifest's folder where relative
    expected_image expected;
};

// Reads a manifest of images, one a line: "KIND SIZE_KB VERSION DEVICE_ID PATH", the words read as
// -t, -s, -v and -i read them (SIZE_KB "-" for any size), PATH the rest of the line; empty lines
// and lines that start with # are left out. A line that cannot be read, or a manifest that cannot,
// gives the refusal in `refusal` ("corvane-verify: MANIFEST:N: WHY"), and no images.
[[nodiscard]] std::vector<listed_image> read_manifest(const std::string& manifest,
                                                      std::string& refusal);

} // namespace corvane
