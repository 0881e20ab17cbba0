// flock(1) for the case tables against the Windows build: flock [-x | -s | -n] FILE COMMAND...
// holds FILE locked as a stamping run locks it (-x, the default) or as a check does (-s), or with
// -n only open, without delete sharing, while COMMAND runs; it ends with COMMAND's status.
#include <process.h>

#include <cstring>

#include "io/entry.h"
#include "io/image_file.h"

int run_tool(int argc, char* argv[])
{
    using namespace corvane;
    const char* how = argc > 1 && argv[1][0] == '-' ? argv[1] : "-x";
    const int at = how == argv[1] ? 2 : 1;
    image_file file;
    if (argc < at + 2 || !file.open(argv[at], open_mode::read).ok() ||
        (std::strcmp(how, "-n") != 0 &&
         !file.lock(std::strcmp(how, "-s") == 0 ? lock_mode::shared : lock_mode::exclusive).ok()))
        return 1;
    return static_cast<int>(_spawnvp(_P_WAIT, argv[at + 1], argv + at + 1));
}
