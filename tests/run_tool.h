#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace corvane::testing {

// A fresh directory below /tmp, removed with everything in it at the end.
class scratch_dir {
public:
    scratch_dir();
    ~scratch_dir();
    scratch_dir(const scratch_dir&) = delete;
    scratch_dir& operator=(const scratch_dir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

struct run_result {
    int status = -1;  // exit status, or -1 when the process did not exit normally
    std::string out;
    std::string err;
};

enum class run_as { self, unprivileged };

// Runs the built tool in `dir` with `args` after the program path, capturing
// both output streams. run_as::unprivileged drops to user and group nobody
// first (the tests run as root in CI, where file modes would not bind).
// A non-empty `stdout_to` sends standard output there instead of capturing it.
run_result run_tool(const std::filesystem::path& dir, const std::vector<std::string>& args,
                    run_as who = run_as::self, const std::filesystem::path& stdout_to = {});

// Whether run_as::unprivileged can take effect here.
bool can_drop_privileges();

// The eight words of a full command line.
std::vector<std::string> command_line(std::string kind, std::string size_kb, std::string version,
                                      std::string device_id);

std::string greeting();
// The greeting and the echo of every argument, program path first.
std::string greeting_and_echo(const std::vector<std::string>& args);

// Whether `err` is exactly one internal check line for `expression`:
// "Assertion failed: EXPR, file NAME.cpp, line N".
bool is_assertion(const std::string& err, const std::string& expression);

std::vector<unsigned char> read_file(const std::filesystem::path& file);
void write_file(const std::filesystem::path& file, const std::vector<unsigned char>& bytes);

} // namespace corvane::testing
