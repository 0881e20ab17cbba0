#pragma once

#include <optional>
#include <string>

#include "image/image_header.h"

namespace corvane {

// The five version bytes as the header report prints them: "1.0.0.21.1".
[[nodiscard]] std::string version_numbers(const image_version& version);

// The version as the strict -v word that stamps it ("1.0.0.2101"), where the bytes can be written
// in that form (image/image_rules.txt): major, minor and oem as its first three fields, beta and
// alpha, two digits each, as its fourth.
[[nodiscard]] std::optional<std::string> version_word(const image_version& version);

} // namespace corvane
