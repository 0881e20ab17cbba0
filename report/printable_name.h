#pragma once

#include <string>
#include <string_view>

namespace corvane {

// A file name fit for a terminal: a backslash and the bytes of control
// characters (C0, DEL, C1), of the bidirectional embeddings, overrides and
// isolates, and of anything that is not UTF-8 are written as C escapes (\\,
// \n, \t, \x1b, \xc2\x9b); every other character as it is. The text report, the
// reasons on standard error and the usage errors all write names so.
[[nodiscard]] std::string printable_name(std::string_view name);

} // namespace corvane
