#pragma once

#include "verify/verify_image.h"

namespace corvane {

// Reads the value of -t, -s, -v or -i exactly as corvane reads the same word, with the rules
// corvane holds it to, into what the checked images must be. A word corvane would refuse is a usage
// error, said on standard error; false then.
[[nodiscard]] bool read_expected_value(char option, const char* word, expected_image& expected);

} // namespace corvane
