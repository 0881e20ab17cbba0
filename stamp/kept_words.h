#pragma once

#include <cstdio>

#include "stamp/out_of_place.h"

namespace corvane {

// The words of a run, kept beside its image for a build that must make the image again when they
// change (Make, which cannot tell a recipe's words from another's): once OUTPUT is made,
// request.words holds one line, the words as given, -t, -s (- where it was not given), -v and -i,
// then INPUT, one blank between each. Written whole, after OUTPUT is in place, so that the words
// kept are never those of an image still to be made.
[[nodiscard]] copy_result keep_words(const copy_request& request, std::FILE* warnings) noexcept;

} // namespace corvane
