#pragma once

namespace corvane {

// The checker's exit statuses: a script can tell good images from bad ones,
// and both from a check that could not be done.
inline constexpr int exit_all_valid = 0;    // every file is a valid stamped image
inline constexpr int exit_some_invalid = 1; // a file was read and is not valid
inline constexpr int exit_not_checked = 2;  // a usage error, or a file that could not be read

} // namespace corvane
