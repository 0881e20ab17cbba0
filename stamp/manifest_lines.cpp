#include "stamp/manifest_lines.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "image/sha256.h"
#include "image/version_text.h"
#include "io/path_names.h"
#include "stamp/new_file.h"

namespace corvane {

namespace {

constexpr std::size_t path_most = 4096;
// A record's line: the words, the digest, a path from the root and the line's end.
constexpr std::size_t line_most = 128 + 2 * path_most;
using line_buffer = std::array<char, line_most>;
using path_buffer = std::array<char, 2 * path_most>;

// The name of the record being gathered, which a failure names after the gather has returned.
std::array<char, path_most + 1> record_name;

constexpr std::string_view digest_prefix = "sha256:";
constexpr std::string_view manifest_comment =
    "# Written by corvane-stamp --gather: KIND SIZE_KB VERSION DEVICE_ID sha256:HEX PATH\n";

copy_result failed(copy_error error, const char* about, io_status cause = {})
{
    return {error, cause, {}, 0, 0, {}, about};
}

std::span<const std::uint8_t> bytes_of(std::string_view text) noexcept
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// `path` from the root, as this process names it: without the current folder, which may be gone,
// only where the path is from the root already.
std::size_t path_from_root(std::string_view path, std::span<char> into) noexcept
{
    std::array<char, path_most + 1> folder;
    const std::size_t length = current_folder(folder);
    if (length == 0 && !is_absolute_path(path))
        return 0;
    return absolute_path({folder.data(), length}, path, into);
}

// The line, PATH and all, in `into`; its length, or 0 where it does not fit.
std::size_t write_line(std::string_view words, std::string_view path, std::span<char> into) noexcept
{
    const bool dotted = !path.empty() && (path.front() == ' ' || path.front() == '\t' ||
                                          path.starts_with(digest_prefix));
    const std::size_t length = words.size() + (dotted ? 2 : 0) + path.size() + 1;
    if (length > into.size())
        return 0;
    char* at = into.data();
    at = std::copy(words.begin(), words.end(), at);
    if (dotted)
        at = std::copy_n("./", 2, at);
    at = std::copy(path.begin(), path.end(), at);
    *at = '\n';
    return length;
}

// A record's words (up to and with the blank before PATH) and its PATH, or false where it is not a
// record corvane-stamp writes.
bool read_record(std::string_view text, std::string_view& words, std::string_view& path) noexcept
{
    if (!text.ends_with('\n'))
        return false;
    text.remove_suffix(1);
    if (text.find('\n') != std::string_view::npos || text.find('\r') != std::string_view::npos ||
        text.find('\0') != std::string_view::npos)
        return false;
    std::size_t at = 0;
    for (int word = 0; word < 5; ++word) {
        const std::size_t blank = text.find(' ', at);
        if (blank == std::string_view::npos || blank == at)
            return false;
        if (word == 4 && !text.substr(at).starts_with(digest_prefix))
            return false;
        at = blank + 1;
    }
    words = text.substr(0, at);
    path = text.substr(at);
    return !path.empty();
}

} // namespace

copy_result write_record(const copy_request& request, const copy_result& made,
                         std::FILE* warnings) noexcept
{
    path_buffer output, record, relative;
    const std::size_t output_length = path_from_root(request.output, output);
    const std::size_t record_length = path_from_root(request.record, record);
    if (output_length == 0 || record_length == 0)
        return failed(copy_error::not_named_from_root,
                      output_length == 0 ? request.output : request.record);
    const std::size_t relative_length =
        relative_path({record.data(), base_name_at({record.data(), record_length})},
                      {output.data(), output_length}, relative);
    if (relative_length == 0)
        return failed(copy_error::not_named_from_root, request.output);
    char size[16] = "-";
    if (request.image_size)
        std::snprintf(size, sizeof size, "%u", unsigned{*request.image_size / 1024});
    const std::optional<std::string> version = version_word(request.version);
    char words[128];
    const int start = std::snprintf(
        words, sizeof words, "%s %s %s %04x %s", request.kind->word.data(), size,
        version ? version->c_str() : "", unsigned{request.device_id}, digest_prefix.data());
    auto length = static_cast<std::size_t>(start);
    const std::array<char, 64> hex = digest_hex(made.sha256);
    std::memcpy(words + length, hex.data(), hex.size());
    length += hex.size();
    words[length++] = ' ';
    line_buffer line;
    const std::size_t line_length =
        write_line({words, length}, {relative.data(), relative_length}, line);
    if (line_length == 0)
        return failed(copy_error::not_named_from_root, request.output);
    whole_file written(request.record, warnings);
    if (const copy_result f = written.create(); f.error != copy_error::none)
        return f;
    if (const copy_result f = written.append(bytes_of({line.data(), line_length}));
        f.error != copy_error::none)
        return f;
    return written.replace();
}

namespace {

// One record, read whole, as its line in the manifest whose folder (from the root) is `folder`.
copy_result gather_record(const char* name, std::string_view folder, const char* manifest_name,
                          whole_file& manifest) noexcept
{
    if (const copy_result f =
            refuse_one_file(manifest_name, own_file::manifest, name, other_file::a_record);
        f.error != copy_error::none)
        return f;
    path_buffer record;
    const std::size_t record_length = path_from_root(name, record);
    if (record_length == 0)
        return failed(copy_error::not_named_from_root, name);
    image_file file;
    if (const io_status s = file.open(name, open_mode::read); !s.ok())
        return failed(copy_error::open_named, name, s);
    line_buffer text;
    std::size_t length = 0;
    for (std::size_t got = 1; got != 0 && length < text.size(); length += got)
        if (const io_status s = file.read_next(
                {reinterpret_cast<std::uint8_t*>(text.data()) + length, text.size() - length}, got);
            !s.ok())
            return failed(copy_error::read_named, name, s);
    if (const io_status s = file.close(); !s.ok())
        return failed(copy_error::read_named, name, s);
    std::string_view words, path;
    if (length == text.size() || !read_record({text.data(), length}, words, path))
        return failed(copy_error::not_a_record, name);
    path_buffer image, relative;
    const std::size_t image_length =
        absolute_path({record.data(), base_name_at({record.data(), record_length})}, path, image);
    if (image_length != 0 && image_length < image.size()) {
        image[image_length] = '\0';
        if (const copy_result f = refuse_one_file(manifest_name, own_file::manifest, image.data(),
                                                  other_file::an_image);
            f.error != copy_error::none)
            return f;
    }
    const std::size_t relative_length =
        image_length == 0 ? 0 : relative_path(folder, {image.data(), image_length}, relative);
    line_buffer line;
    const std::size_t line_length =
        relative_length == 0 ? 0 : write_line(words, {relative.data(), relative_length}, line);
    if (line_length == 0)
        return failed(copy_error::not_a_record, name);
    return manifest.append(bytes_of({line.data(), line_length}));
}

} // namespace

copy_result gather_manifest(const char* records, const char* manifest, std::FILE* warnings) noexcept
{
    path_buffer folder;
    std::size_t folder_length = path_from_root(manifest, folder);
    if (folder_length == 0)
        return failed(copy_error::not_named_from_root, manifest);
    folder_length = base_name_at({folder.data(), folder_length});
    if (const copy_result f =
            refuse_one_file(manifest, own_file::manifest, records, other_file::records);
        f.error != copy_error::none)
        return f;
    image_file list;
    if (const io_status s = list.open(records, open_mode::read); !s.ok())
        return failed(copy_error::open_named, records, s);
    whole_file written(manifest, warnings);
    if (const copy_result f = written.create(); f.error != copy_error::none)
        return f;
    if (const copy_result f = written.append(bytes_of(manifest_comment));
        f.error != copy_error::none)
        return f;
    // The list a buffer at a time, each name as its line ends (the last one's end may be missing).
    std::array<std::uint8_t, 64 * 1024> chunk;
    std::array<char, path_most + 1>& name = record_name;
    std::size_t name_length = 0;
    const auto gather_name = [&]() noexcept -> copy_result {
        if (name_length > 0 && name[name_length - 1] == '\r')
            --name_length;
        if (name_length == 0)
            return {};
        name[name_length] = '\0';
        name_length = 0;
        return gather_record(name.data(), {folder.data(), folder_length}, manifest, written);
    };
    for (std::size_t got = 1; got != 0;) {
        if (const io_status s = list.read_next(chunk, got); !s.ok())
            return failed(copy_error::read_named, records, s);
        for (std::size_t i = 0; i < got; ++i) {
            const char c = static_cast<char>(chunk[i]);
            if (c != '\n') {
                if (name_length == path_most || c == '\0')
                    return failed(copy_error::not_a_list, records);
                name[name_length++] = c;
            } else if (const copy_result f = gather_name(); f.error != copy_error::none) {
                return f;
            }
        }
    }
    if (const copy_result f = gather_name(); f.error != copy_error::none)
        return f;
    if (const io_status s = list.close(); !s.ok())
        return failed(copy_error::read_named, records, s);
    return written.replace();
}

} // namespace corvane
