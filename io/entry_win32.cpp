#include <windows.h>

#include <iterator>

#include "io/entry.h"

namespace {

// The command line in UTF-8, in static storage: Windows passes at most 32,767 UTF-16 units, each
// at most 3 bytes in UTF-8, and one word for every two units.
char words[3 * 32768 + 32768];
char* argv_utf8[32768 / 2 + 2];

} // namespace

int wmain(int argc, wchar_t* argv[])
{
    int used = 0;
    for (int i = 0; i < argc && i + 1 < static_cast<int>(std::size(argv_utf8)); ++i) {
        argv_utf8[i] = words + used;
        const int n = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, words + used,
                                          static_cast<int>(sizeof words) - used, nullptr, nullptr);
        used += n > 0 ? n : (words[used] = '\0', 1);
    }
    return run_tool(argc, argv_utf8);
}
