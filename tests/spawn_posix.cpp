#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/spawn.h"

extern char** environ;

namespace corvane::testing {

namespace {

// Gives descriptor `fd` what `how` says (see spawn.h); a pipe's write end where it asks for one.
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
    else if (mode == "closed-pipe" && pipe2(pipe_ends, O_CLOEXEC) == 0)
        posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], fd);
    else
        posix_spawn_file_actions_addopen(&actions, fd, how.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
}

} // namespace

int run_process(const process& p)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, p.directory.c_str());
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    int pipe_ends[2] = {-1, -1};
    arrange(actions, 1, p.out, p.directory, pipe_ends);
    arrange(actions, 2, p.err, p.directory, pipe_ends);
    if (pipe_ends[0] >= 0) // the reader is gone before the run starts
        close(pipe_ends[0]);

    std::vector<char*> argv;
    for (const std::string& a : p.argv)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (pipe_ends[1] >= 0)
        close(pipe_ends[1]);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace corvane::testing
