#pragma once

#include <string>

#include "verify/verify_image.h"

namespace corvane {

// Reads the value of -t, -s, -v or (any other option) -i exactly as corvane reads the same word,
// with the rules corvane holds it to, into what the checked images must be. A word corvane would
// refuse is a usage error: the line that says why comes back, and nothing (empty) where the word is
// taken.
[[nodiscard]] std::string read_expected_value(char option, const char* word,
                                              expected_image& expected);

} // namespace corvane
