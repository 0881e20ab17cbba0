#pragma once

#include "stamp/out_of_place.h"

namespace corvane {

// Says a failure on standard error (on standard output where standard error is left out),
// "corvane-stamp: FILE: WHAT[: REASON]", FILE the input or the output as the failure concerns it,
// then why a stream was left out where that was a doubt. Names are written printable.
void report_out_of_place_failure(const copy_streams& streams, const copy_request& request,
                                 const copy_result& failure) noexcept;

} // namespace corvane
