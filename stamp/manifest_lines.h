#pragma once

#include <cstdio>

#include "stamp/out_of_place.h"

namespace corvane {

// The lines of a release manifest (corvane-verify --check), written by the tool that makes the
// images, so that a build's helpers only name the files:
//   KIND SIZE_KB VERSION DEVICE_ID sha256:HEX PATH
// SIZE_KB "-" where the smallest size was asked for. An image's record holds its line with PATH
// from the record's own folder; a manifest gathered from records names each image from the
// manifest's own folder, so that it travels with its images. Paths are compared by their names
// alone ("." and ".." taken out, no link followed). A PATH that would read as blanks before it, or
// as a digest, starts with "./".

// The record of the image `made` of `request`, written to request.record as a whole file.
[[nodiscard]] copy_result write_record(const copy_request& request, const copy_result& made,
                                       std::FILE* warnings) noexcept;

// MANIFEST written whole from the records that `records` names, one a line (from the current
// folder), in their order, under a comment line that says what the lines are. A record that cannot
// be read, or is not one, fails it, naming the record, and MANIFEST is as it was.
[[nodiscard]] copy_result gather_manifest(const char* records, const char* manifest,
                                          std::FILE* warnings) noexcept;

} // namespace corvane
