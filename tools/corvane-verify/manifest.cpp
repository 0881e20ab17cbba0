#include "tools/corvane-verify/manifest.h"

#include <fstream>
#include <sstream>

#include "report/printable_name.h"
#include "tools/corvane-verify/expected_values.h"

namespace corvane {

std::vector<listed_image> read_manifest(const std::string& manifest, std::string& refusal)
{
    std::ifstream in(manifest, std::ios::binary);
    const std::string named = "corvane-verify: " + printable_name(manifest);
    if (!in) {
        refusal = named + ": cannot be read\n";
        return {};
    }
    const std::size_t slash = manifest.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "" : manifest.substr(0, slash + 1);
    std::vector<listed_image> images;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.ends_with('\r'))
            line.pop_back();
        if (line.empty() || line.starts_with('#'))
            continue;
        std::istringstream words(line);
        std::string kind, size, version, device_id, path;
        words >> kind >> size >> version >> device_id >> std::ws;
        std::getline(words, path);
        const std::string where = named + ":" + std::to_string(number) + ": ";
        if (path.empty()) {
            refusal = where + "not KIND SIZE_KB VERSION DEVICE_ID PATH\n";
            return {};
        }
        listed_image image;
        for (const auto& [option, word] : {std::pair{'t', &kind}, std::pair{'s', &size},
                                           std::pair{'v', &version}, std::pair{'i', &device_id}}) {
            if (option == 's' && *word == "-")
                continue;
            if (std::string why = read_expected_value(option, word->c_str(), image.expected);
                !why.empty()) {
                refusal = where + why.substr(std::string("corvane-verify: ").size());
                return {};
            }
        }
        const bool absolute = path.starts_with('/') || (path.size() > 1 && path[1] == ':');
        image.path = absolute ? path : folder + path;
        images.push_back(std::move(image));
    }
    return images;
}

} // namespace corvane
