#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/spawn.h"

extern char** environ;

namespace corvane::testing {

namespace {

// Gives descriptor `fd` what `how` says (see spawn.h). A pipe's write end goes to the child; both
// ends come back in `pipe_ends`, the read end to be closed at once (closed-pipe) or read (pipe).
void arrange(posix_spawn_file_actions_t& actions, int fd, const std::string& how,
             const std::filesystem::path& directory, int (&pipe_ends)[2])
{
    const std::string mode = how.substr(0, how.find(' ')),
                      path =
                          (directory / how.substr(std::min(how.size(), mode.size() + 1))).string();
    if (mode == "closed")
        posix_spawn_file_actions_addclose(&actions, fd);
    else if (mode == "full" || mode == "append")
        posix_spawn_file_actions_addopen(&actions, fd, mode == "full" ? "/dev/full" : path.c_str(),
                                         O_WRONLY | O_APPEND, 0);
    else if ((mode == "closed-pipe" || mode == "pipe") && pipe2(pipe_ends, O_CLOEXEC) == 0)
        posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], fd);
    else
        posix_spawn_file_actions_addopen(&actions, fd, how.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
}

// What comes out of a pipe, into a file, until its writers are gone.
void drain(int reader, const std::string& path)
{
    const int out = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    char buffer[4096];
    for (ssize_t n; (n = read(reader, buffer, sizeof buffer)) > 0;)
        if (write(out, buffer, static_cast<std::size_t>(n)) != n)
            break;
    close(out);
}

} // namespace

int run_process(const process& p)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, p.directory.c_str());
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    int out_pipe[2] = {-1, -1}, err_pipe[2] = {-1, -1};
    arrange(actions, 1, p.out, p.directory, out_pipe);
    arrange(actions, 2, p.err, p.directory, err_pipe);
    // The reader of a closed pipe is gone before the run starts.
    for (const auto& [how, ends] : {std::pair{&p.out, out_pipe}, std::pair{&p.err, err_pipe}})
        if (ends[0] >= 0 && how->starts_with("closed-pipe"))
            close(ends[0]), ends[0] = -1;

    std::vector<char*> argv;
    for (const std::string& a : p.argv)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    for (const auto& [how, ends] : {std::pair{&p.out, out_pipe}, std::pair{&p.err, err_pipe}}) {
        if (ends[1] >= 0)
            close(ends[1]);
        if (ends[0] >= 0) {
            drain(ends[0], how->substr(how->find(' ') + 1));
            close(ends[0]);
        }
    }
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace corvane::testing
