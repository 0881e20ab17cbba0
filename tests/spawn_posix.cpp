#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/spawn.h"

extern char** environ;

namespace corvane::testing {

int run_process(const process& p)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, p.directory.c_str());
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const std::string mode = p.out.substr(0, p.out.find(' ')),
                      arg = p.out.substr(std::min(p.out.size(), mode.size() + 1)),
                      path = (p.directory / arg).string();
    int pipe_ends[2] = {-1, -1};
    if (mode == "closed")
        posix_spawn_file_actions_addclose(&actions, 1);
    else if (mode == "full" || mode == "append" || mode == "update")
        posix_spawn_file_actions_addopen(&actions, 1, mode == "full" ? "/dev/full" : path.c_str(),
                                         mode == "update" ? O_RDWR : O_WRONLY | O_APPEND, 0);
    else if (mode.ends_with("-pipe") && pipe2(pipe_ends, O_CLOEXEC) == 0) {
#if defined(F_SETPIPE_SZ)
        fcntl(pipe_ends[1], F_SETPIPE_SZ, 4096); // a report of a few pages fills it
#endif
        posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
    } else
        posix_spawn_file_actions_addopen(&actions, 1, p.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
    posix_spawn_file_actions_addopen(&actions, 2, p.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (mode == "closed-pipe")
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
    if (mode == "dropped-pipe") { // the reader takes its N bytes, then goes
        std::string taken(std::stoul(arg), '\0');
        for (std::size_t got = 0; spawned == 0 && got < taken.size();) {
            const ssize_t n = read(pipe_ends[0], &taken[got], taken.size() - got);
            got = n > 0 ? got + static_cast<std::size_t>(n) : taken.size();
        }
        close(pipe_ends[0]);
    }
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace corvane::testing
