#pragma once

#include <cstdio>
#include <span>

#include "verify/verify_run.h"

namespace corvane {

// One JSON document for the whole run: an array with an object per file, in
// the order given, holding every header field, the stored and the computed
// checksum, the verdict ("OK", "INVALID", or "ERROR" for a file that could
// not be read) and the reasons. Names that are not valid UTF-8 are written
// with U+FFFD in place of each bad byte, and their exact bytes are given
// again in hexadecimal as "file_bytes". Written one object at a time.
void print_json_report(std::FILE* out, std::span<const checked_file> files);

} // namespace corvane
