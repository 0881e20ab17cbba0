#pragma once

#include <cstdint>
#include <cstdio>
#include <span>

#include "io/image_file.h"
#include "io/new_file_name.h"
#include "stamp/out_of_place.h"

namespace corvane {

// A new file's name: the target's folder and the new file's own name.
struct new_file_name_buffer {
    char name[4096 + longest_file_name + 1] = {};
};

// A new file beside a target, removed again unless it was renamed over the target; a removal that
// fails is said on `warnings`. Never copied, as its file is not.
struct new_file {
    image_file file;
    new_file_name_buffer named;
    char* name = named.name;
    bool made = false;
    std::FILE* warnings = nullptr;

    explicit new_file(std::FILE* warnings_to) noexcept : warnings(warnings_to) {}
    new_file(const new_file&) = delete;
    new_file& operator=(const new_file&) = delete;
    ~new_file();

    // Made beside `target`, once the new files that killed runs left there are removed.
    [[nodiscard]] copy_result create(const char* target) noexcept;
    // Renamed over `target` (the caller has flushed it to storage) and closed; `target`'s folder
    // is flushed then too.
    [[nodiscard]] copy_result put_in_place(const char* target) noexcept;
};

// The files a run makes beside the image, and those they may not be, for a refusal's text.
enum class own_file : std::uint8_t { record, words, manifest };
enum class other_file : std::uint8_t { input, output, record, records, a_record, an_image };
[[nodiscard]] const char* own_file_name(std::uint64_t which) noexcept;
[[nodiscard]] const char* other_file_name(std::uint64_t which) noexcept;
// Refused where `made`, a file the run makes, is `other` (links followed, or one name in one
// folder where neither is there yet), which making it would replace.
[[nodiscard]] copy_result refuse_one_file(const char* made, own_file kind, const char* other,
                                          other_file other_kind) noexcept;

// A small file of the build's (a record, a manifest) made as an image is: written whole into a new
// file beside it, which then replaces it. A failure names `target`.
class whole_file {
public:
    whole_file(const char* target, std::FILE* warnings) noexcept;

    [[nodiscard]] copy_result create() noexcept;
    // `bytes` after those appended before.
    [[nodiscard]] copy_result append(std::span<const std::uint8_t> bytes) noexcept;
    [[nodiscard]] copy_result replace() noexcept;

private:
    [[nodiscard]] copy_result named(copy_result result) const noexcept;

    const char* target_;
    new_file file_;
    std::uint64_t length_ = 0;
};

} // namespace corvane
