#pragma once

namespace corvane {

// corvane-stamp's exit statuses.
inline constexpr int exit_made = 0;      // OUTPUT is the stamped image, on storage
inline constexpr int exit_not_made = 1;  // it could not be made; OUTPUT is as it was
inline constexpr int exit_bad_words = 2; // the command line was refused; nothing was made

} // namespace corvane
