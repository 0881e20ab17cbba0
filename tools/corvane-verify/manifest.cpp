#include "tools/corvane-verify/manifest.h"

#include <array>
#include <optional>

#include "image/strict_words.h"
#include "io/image_file.h"
#include "io/path_names.h"
#include "report/printable_name.h"

namespace corvane {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_control_byte(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

// The word that gives the image's SHA-256, between DEVICE_ID and PATH: a PATH that starts so is
// written ./sha256:...
constexpr std::string_view digest_prefix = "sha256:";

std::optional<digest_bytes> digest_of(std::string_view hex)
{
    digest_bytes digest{};
    if (hex.size() != 2 * digest.size())
        return std::nullopt;
    for (std::size_t i = 0; i < hex.size(); ++i) {
        const char c = hex[i];
        const int value = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (value < 0)
            return std::nullopt;
        digest[i / 2] = static_cast<std::uint8_t>(digest[i / 2] << 4 | value);
    }
    return digest;
}

// The next word of `line`, from its first byte that is not blank up to the next blank.
std::string_view next_word(std::string_view& line)
{
    std::size_t start = 0;
    while (start < line.size() && is_blank(line[start]))
        ++start;
    std::size_t end = start;
    while (end < line.size() && !is_blank(line[end]))
        ++end;
    const std::string_view word = line.substr(start, end - start);
    line.remove_prefix(end);
    return word;
}

// Why the line gives no image, or nothing where it gives `image` (or is left out, `listed` false).
std::string read_line(std::string_view line, std::string_view folder, listed_image& image,
                      bool& listed)
{
    listed = false;
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    if (line.find('\0') != std::string_view::npos)
        return "a NUL byte in the line";
    std::string_view rest = line;
    const std::string_view first = next_word(rest);
    if (first.empty() || first.starts_with('#'))
        return "";
    strict_values values;
    rest = line;
    for (const char option : {'t', 's', 'v', 'i'}) {
        const std::string_view word = next_word(rest);
        if (word.empty())
            return "not KIND SIZE_KB VERSION DEVICE_ID PATH";
        for (const char c : word)
            if (is_control_byte(c))
                return "a control byte outside the path";
        if (option == 's' && word == "-")
            continue;
        if (const std::string rule = read_strict_word(option, word, values); !rule.empty())
            return std::string(strict_option_name(option)) + " '" + printable_name(word) +
                   "': " + rule;
    }
    while (!rest.empty() && is_blank(rest.front()))
        rest.remove_prefix(1);
    image.expected = {values.kind->type_code, values.size, values.version, values.device_id};
    if (rest.starts_with(digest_prefix)) {
        const std::string_view word = next_word(rest);
        image.expected.sha256 = digest_of(word.substr(digest_prefix.size()));
        if (!image.expected.sha256) {
            std::string why(1, '\'');
            why += printable_name(word);
            why += "': not sha256: and 64 lower-case hexadecimal digits";
            return why;
        }
        while (!rest.empty() && is_blank(rest.front()))
            rest.remove_prefix(1);
    }
    if (rest.empty())
        return "not KIND SIZE_KB VERSION DEVICE_ID PATH";
    image.path = (is_absolute_path(rest) ? std::string() : std::string(folder)) + std::string(rest);
    listed = true;
    return "";
}

} // namespace

std::vector<listed_image> read_manifest_text(std::string_view text, std::string_view named,
                                             std::string_view folder, std::string& refusal)
{
    std::vector<listed_image> images;
    for (int number = 1; !text.empty(); ++number) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        listed_image image;
        bool listed = false;
        if (const std::string why = read_line(line, folder, image, listed); !why.empty()) {
            refusal = "corvane-verify: " + std::string(named) + ":" + std::to_string(number) +
                      ": " + why + "\n";
            return {};
        }
        if (listed)
            images.push_back(std::move(image));
    }
    // A gate that checks nothing would pass a build that made nothing.
    if (images.empty())
        refusal = "corvane-verify: " + std::string(named) + ": lists no image\n";
    return images;
}

std::vector<listed_image> read_manifest(const std::string& manifest, std::string& refusal)
{
    const std::string named = printable_name(manifest);
    const auto refuse = [&](const char* what, const io_status& status) {
        char words[256];
        refusal =
            "corvane-verify: " + named + ": " + what + std::string(describe(status, words)) + "\n";
        return std::vector<listed_image>{};
    };
    // Read to its end, whatever its length said: a manifest still being written may grow.
    image_file file;
    if (const io_status s = file.open(manifest.c_str(), open_mode::read); !s.ok())
        return refuse(s.error == io_error::system ? "cannot open: " : "", s);
    std::string text;
    for (std::size_t got = 1; got != 0;) {
        std::array<std::uint8_t, 64 * 1024> buffer;
        if (const io_status s = file.read_next(buffer, got); !s.ok())
            return refuse("cannot read: ", s);
        if (text.size() + got > manifest_most) {
            refusal = "corvane-verify: " + named + ": longer than " +
                      std::to_string(manifest_most >> 20) + " MiB, the most a manifest may be\n";
            return {};
        }
        text.append(reinterpret_cast<const char*>(buffer.data()), got);
    }
    if (const io_status s = file.close(); !s.ok())
        return refuse("cannot close: ", s);
    return read_manifest_text(text, named, manifest.substr(0, base_name_at(manifest)), refusal);
}

} // namespace corvane
