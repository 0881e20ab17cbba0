#include "io/new_file_name.h"

#include "io/path_names.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace corvane {

namespace {

// FNV-1a: a long name's shortened stem tells it from the other long names of its folder that
// start alike.
std::uint32_t name_hash(std::string_view text) noexcept
{
    std::uint32_t hash = 2166136261u;
    for (const char c : text)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash;
}

// A number as a run writes one: decimal digits, no leading zero, at most `most` digits; then `end`
// ('\0': the end of the text).
bool number_then(std::string_view& text, std::size_t most, char end) noexcept
{
    std::size_t n = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9')
        ++n;
    if (n == 0 || n > most || (n > 1 && text[0] == '0'))
        return false;
    if (end != '\0' ? n >= text.size() || text[n] != end : n != text.size())
        return false;
    text.remove_prefix(end != '\0' ? n + 1 : n);
    return true;
}

// What the shortened form ends in: "~" and eight lower-case hexadecimal digits.
constexpr std::size_t hash_suffix = 9;
bool ends_like_a_hash(std::string_view base) noexcept
{
    if (base.size() < hash_suffix || base[base.size() - hash_suffix] != '~')
        return false;
    for (const char c : base.substr(base.size() - hash_suffix + 1))
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

} // namespace

std::size_t new_file_stem(std::string_view base,
                          std::span<char, longest_file_name + 1> stem) noexcept
{
    // ".", the stem, "." and the suffix. A name that itself ends like a shortened one is shortened
    // too, so that no name's stem is another's.
    constexpr std::size_t room = longest_file_name - 2 - new_file_suffix_most;
    if (base.size() <= room && !ends_like_a_hash(base)) {
        const int n = std::snprintf(stem.data(), stem.size(), ".%.*s.",
                                    static_cast<int>(base.size()), base.data());
        return static_cast<std::size_t>(n);
    }
    std::size_t kept = std::min(base.size(), room - hash_suffix);
    while (kept > 0 && kept < base.size() &&
           (static_cast<unsigned char>(base[kept]) & 0xC0u) == 0x80u)
        --kept; // never half a character
    const int n = std::snprintf(stem.data(), stem.size(), ".%.*s~%08x.", static_cast<int>(kept),
                                base.data(), static_cast<unsigned>(name_hash(base)));
    return static_cast<std::size_t>(n);
}

bool is_new_file_name(std::string_view entry, std::string_view stem) noexcept
{
    if (!entry.starts_with(stem))
        return false;
    entry.remove_prefix(stem.size());
    // ".PID.N": a process id (of 32 bits) and a try's number under 100, as create_beside makes
    // them.
    return number_then(entry, 10, '.') && number_then(entry, 2, '\0');
}

new_files_beside::new_files_beside(const char* target) noexcept
    : folder_length(base_name_at(target)), stem_length(new_file_stem(target + folder_length, stem))
{
}

} // namespace corvane
