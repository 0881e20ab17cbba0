#include <array>
#include <cstring>
#include <optional>
#include <string_view>

#include "io/image_file.h"
#include "io/path_names.h"

namespace corvane {

namespace {

// The folder that holds `name`, as a name of its own ("." for a name without one).
bool folder_of(const char* name, std::span<char> into) noexcept
{
    const std::size_t at = base_name_at(name);
    if (at == 0) {
        std::memcpy(into.data(), ".", 2);
        return true;
    }
    if (at >= into.size())
        return false;
    std::memcpy(into.data(), name, at);
    into[at] = '\0';
    return true;
}

} // namespace

io_status names_one_file(const char* a, const char* b, bool& same) noexcept
{
    same = false;
    std::optional<file_identity> first, second;
    if (const io_status s = identity_of(a, first); !s.ok())
        return s;
    if (const io_status s = identity_of(b, second); !s.ok())
        return s;
    if (first || second) {
        same = first && second && same_file(*first, *second);
        return {};
    }
    // Neither is there yet: one name where one folder holds both under one name.
    std::array<char, 4096 + 1> folder_a, folder_b;
    if (!folder_of(a, folder_a) || !folder_of(b, folder_b)) {
        same = std::strcmp(a, b) == 0;
        return {};
    }
    if (const io_status s = identity_of(folder_a.data(), first); !s.ok())
        return s;
    if (const io_status s = identity_of(folder_b.data(), second); !s.ok())
        return s;
    same = first && second ? same_file(*first, *second) &&
                                 std::strcmp(a + base_name_at(a), b + base_name_at(b)) == 0
                           : std::strcmp(a, b) == 0;
    return {};
}

} // namespace corvane
