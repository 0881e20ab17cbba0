#include "tests/run_tool.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace corvane::testing {

namespace fs = std::filesystem;

namespace {

constexpr uid_t nobody = 65534;

std::string slurp(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool drop_to_nobody()
{
    return setgroups(0, nullptr) == 0 && setgid(nobody) == 0 && setuid(nobody) == 0;
}

} // namespace

scratch_dir::scratch_dir()
{
    std::string pattern = (fs::temp_directory_path() / "corvane-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    // Searchable by the unprivileged user of the permission tests.
    fs::permissions(path_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
}

scratch_dir::~scratch_dir()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

run_result run_tool(const fs::path& dir, const std::vector<std::string>& args, run_as who,
                    const fs::path& stdout_to)
{
    // Outputs go to files beside `dir`, never into it, so that a test sees
    // exactly the files the tool left.
    scratch_dir outputs;
    const fs::path out_file = stdout_to.empty() ? outputs.path() / "out" : stdout_to;
    const fs::path err_file = outputs.path() / "err";
    // The binary may sit in a folder the unprivileged user cannot reach.
    fs::path binary = CORVANE_BINARY;
    if (who == run_as::unprivileged) {
        fs::copy_file(binary, outputs.path() / "corvane");
        binary = outputs.path() / "corvane";
    }

    std::vector<std::string> argv_text{binary.string()};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argv_text)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        const int out = open(out_file.c_str(), O_WRONLY | O_CREAT | (stdout_to.empty() ? O_TRUNC : 0), 0644);
        const int err = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(dir.c_str()) != 0)
            _exit(126);
        if (who == run_as::unprivileged && !drop_to_nobody())
            _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    run_result result;
    int wait_status = 0;
    if (child < 0 || waitpid(child, &wait_status, 0) != child)
        return result;
    if (WIFEXITED(wait_status))
        result.status = WEXITSTATUS(wait_status);
    if (stdout_to.empty())
        result.out = slurp(out_file);
    result.err = slurp(err_file);
    return result;
}

bool can_drop_privileges()
{
    if (geteuid() != 0)
        return true;  // already unprivileged: file modes bind as they are
    const pid_t child = fork();
    if (child == 0)
        _exit(drop_to_nobody() ? 0 : 1);
    int wait_status = 0;
    return child > 0 && waitpid(child, &wait_status, 0) == child && WIFEXITED(wait_status) &&
           WEXITSTATUS(wait_status) == 0;
}

std::vector<std::string> command_line(std::string kind, std::string size_kb, std::string version,
                                      std::string device_id)
{
    return {"-t", std::move(kind),    "-s", std::move(size_kb),
            "-v", std::move(version), "-i", std::move(device_id)};
}

std::string greeting() { return "Hello Corvane 1.0.0.1003\n"; }

std::string greeting_and_echo(const std::vector<std::string>& args)
{
    std::string text = greeting() + "argv[0]:" + CORVANE_BINARY + "\n";
    for (std::size_t i = 0; i < args.size(); ++i)
        text += "argv[" + std::to_string(i + 1) + "]:" + args[i] + "\n";
    return text;
}

bool is_assertion(const std::string& err, const std::string& expression)
{
    const std::string head = "Assertion failed: " + expression + ", file ";
    const auto line_at = err.rfind(".cpp, line ");
    if (!err.starts_with(head) || line_at == std::string::npos || line_at <= head.size() ||
        err.find_first_of(" ,\n", head.size()) != line_at + 4 || !err.ends_with("\n"))
        return false;
    const std::string number = err.substr(line_at + 11, err.size() - line_at - 12);
    return !number.empty() && number.find_first_not_of("0123456789") == std::string::npos;
}

std::vector<unsigned char> read_file(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const fs::path& file, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + file.string());
}

} // namespace corvane::testing
