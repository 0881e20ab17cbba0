#pragma once

namespace corvane {

// Makes descriptors 0, 1 and 2 valid before any file is opened, so that the
// image can never be opened as one of them and receive the run's report. A
// closed one is opened on /dev/null; standard output read-only, so that
// writing the report fails and the run ends as a lost report rather than as
// a success nobody could see.
void make_standard_streams_valid() noexcept;

} // namespace corvane
