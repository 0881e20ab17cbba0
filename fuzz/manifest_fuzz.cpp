// corvane-verify's manifest from arbitrary text: whatever it holds, it gives images or one refusal,
// never both; a refusal names the manifest and a line, in text that cannot act on a terminal; every
// image has a path with no NUL and no line end, and the words corvane-stamp would take.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tools/corvane-verify/manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace corvane;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string refusal;
    const std::vector<listed_image> images = read_manifest_text(text, "m.txt", "d/", refusal);
    if (images.empty() == refusal.empty())
        std::abort();
    for (const listed_image& image : images)
        if (image.path.empty() ||
            image.path.find_first_of(std::string_view("\0\n", 2)) != std::string::npos ||
            !image.expected.type_code || !image.expected.version || !image.expected.device_id)
            std::abort();
    if (!refusal.empty()) {
        if (refusal.rfind("corvane-verify: m.txt", 0) != 0 || refusal.back() != '\n')
            std::abort();
        for (std::size_t i = 0; i + 1 < refusal.size(); ++i) {
            const auto byte = static_cast<unsigned char>(refusal[i]);
            if (byte < 0x20 || byte == 0x7F)
                std::abort();
        }
    }
    return 0;
}
