// corvane-verify's command line from arbitrary words (the input split at NUL bytes): whatever it
// is given, it takes the words or refuses them with lines that cannot act on a terminal, names a
// file or a manifest for every check, and reads the same words the same way a second time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/corvane-verify/options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace corvane;
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    std::vector<char*> args{const_cast<char*>("corvane-verify")};
    for (std::size_t at = 0; at < size && args.size() < 12; at += std::strlen(&text[at]) + 1)
        args.push_back(&text[at]);
    args.push_back(nullptr);
    const std::span<char*> words(args.data(), args.size() - 1);

    const parsed_options first = parse_options(words);
    const parsed_options again = parse_options(words);
    if (first.action != again.action || first.refusal != again.refusal)
        std::abort();
    if (first.action == options_action::check && first.options.files.empty() &&
        first.options.manifest == nullptr)
        std::abort();
    if (first.action == options_action::refused) {
        const std::string& said = first.refusal;
        if (said.rfind("corvane-verify: ", 0) != 0 || said.back() != '\n')
            std::abort();
        for (const char c : said) {
            const auto byte = static_cast<unsigned char>(c);
            if ((byte < 0x20 && c != '\n') || byte == 0x7F)
                std::abort();
        }
    }
    return 0;
}
