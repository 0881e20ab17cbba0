// Runs a program with an argument vector, no shell between, and waits for it, in this process's
// environment: POSIX spawning, as the case runner's folders (mkdtemp) and its setenv are POSIX too.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace corvane::testing {

struct process {
    std::vector<std::string> argv;   // argv[0] is looked up in PATH
    std::filesystem::path directory; // where it runs
    // Its standard output and error: a file created afresh, or "closed", "full" (every write
    // fails), "append FILE" (a file of its folder, open for appending), "closed-pipe" (a pipe
    // whose reader is gone), or "pipe FILE" (a pipe, what comes out of it written to FILE; the
    // pipes are read one after the other, so a program must not fill the second while the first
    // is read).
    std::string out, err;
};

// The exit status, or -1 when the program was killed by a signal or could not be started.
int run_process(const process& p);

} // namespace corvane::testing
