#pragma once

#include <cstdio>
#include <string_view>

namespace corvane {

// Writes the text as a JSON string, quotes included, that cannot act on a terminal that shows it:
// a quote, a backslash, control characters (C0, DEL, C1) and the bidirectional embeddings,
// overrides and isolates as \u escapes (\", \\ and \n as such), bytes that are not UTF-8 as
// U+FFFD, every other character as it is. No heap: a piece at a time.
void put_json_string(std::FILE* out, std::string_view text) noexcept;

} // namespace corvane
