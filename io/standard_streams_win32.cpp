#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstring>

#include "io/platform_streams.h"

namespace corvane {

namespace {

HANDLE handle_of(std::FILE* stream)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

} // namespace

void set_streams_up() noexcept
{
    // Binary, so that the report's bytes, line ends included, are those of every platform:
    // scripts match these lines. (A closed stream has no descriptor here that a file could take.)
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

bool is_regular_file(std::FILE* stream) noexcept
{
    const HANDLE handle = handle_of(stream);
    return handle != INVALID_HANDLE_VALUE && handle != nullptr &&
           GetFileType(handle) == FILE_TYPE_DISK;
}

// Identity comes from the handle: the C library's stat gives device and inode 0 for every file.
bool is_same_file(std::FILE* stream, const file_state& image) noexcept
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!is_regular_file(stream))
        return false;
    if (GetFileInformationByHandle(handle_of(stream), &info))
        return info.dwVolumeSerialNumber == image.device &&
               (std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow) == image.file_id;
    // Wine knows no volume for a handle it was given by its host: the file's id alone, so that
    // a doubt refuses the run rather than lets the report into the image.
    FILE_ID_INFO id{};
    std::uint64_t file_id = 0;
    if (!GetFileInformationByHandleEx(handle_of(stream), FileIdInfo, &id, sizeof id))
        return false;
    std::memcpy(&file_id, id.FileId.Identifier, sizeof file_id);
    return file_id == image.file_id;
}

void point_at_null(std::FILE* stream) noexcept
{
    const int null = _open("NUL", _O_WRONLY | _O_BINARY);
    if (null < 0 || _dup2(null, _fileno(stream)) < 0)
        ExitProcess(1); // the image would get the report: nothing sound is left to do
    _close(null);
}

} // namespace corvane
