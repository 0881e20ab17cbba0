#pragma once

#include <span>
#include <string>
#include <string_view>

namespace corvane {

// A file name fit for a terminal: a backslash and the bytes of control
// characters (C0, DEL, C1), of the bidirectional embeddings, overrides and
// isolates, and of anything that is not UTF-8 are written as C escapes (\\,
// \n, \t, \x1b, \xc2\x9b); every other character as it is. The text report, the
// reasons on standard error and the usage errors all write names so.
[[nodiscard]] std::string printable_name(std::string_view name);

// The same text in a fixed buffer, for the stamping tool, which allocates nothing: as much of it
// as `buffer` holds, in whole escapes. A name of n bytes takes at most 4n + 1.
[[nodiscard]] std::string_view printable_name(std::string_view name,
                                              std::span<char> buffer) noexcept;

} // namespace corvane
