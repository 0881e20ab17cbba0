#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace corvane {

// The names of the new files corvane-stamp makes beside a target before renaming one over it:
// ".STEM.PID.N" in the target's folder, PID and N decimal, with no leading zero. STEM is the
// target's own name where the whole fits the longest name a file system takes (255 bytes), else
// its first bytes (whole UTF-8 characters), "~" and eight hexadecimal digits of a hash of the
// whole, so that every name the target may have gives a new file's name that fits too; a name that
// ends like that itself is shortened likewise, so that it never gives another name's stem.
inline constexpr std::size_t longest_file_name = 255;
// The most a process id and a try's number add: ".4294967295.99".
inline constexpr std::size_t new_file_suffix_most = 14;

// ".STEM." for the target's own name (its last component), in `stem`, which holds
// longest_file_name + 1 bytes; its length.
[[nodiscard]] std::size_t new_file_stem(std::string_view base,
                                        std::span<char, longest_file_name + 1> stem) noexcept;

// Where the new files beside a target go: the target's folder (its first `folder_length` bytes,
// the separator included) and their stem.
struct new_files_beside {
    std::size_t folder_length{};
    std::array<char, longest_file_name + 1> stem{};
    std::size_t stem_length{};

    explicit new_files_beside(const char* target) noexcept;
    [[nodiscard]] std::string_view stem_text() const noexcept { return {stem.data(), stem_length}; }
};

// Whether a folder's entry is a new file of that stem, as a run names one: the stem, a process id,
// a dot, a try's number under 100.
[[nodiscard]] bool is_new_file_name(std::string_view entry, std::string_view stem) noexcept;

} // namespace corvane
