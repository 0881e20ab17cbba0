#pragma once

namespace corvane {

// The process exit statuses, so that a build script can tell a stamped image
// from a refused one.
inline constexpr int exit_stamped = 0;        // the image was stamped
inline constexpr int exit_stamp_failed = 1;   // the stamping sequence stopped on a failure
inline constexpr int exit_bad_arguments = 2;  // the command line was refused
inline constexpr int exit_internal_check = 3; // an internal check failed

} // namespace corvane
