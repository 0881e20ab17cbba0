#include "stamp/kept_words.h"

#include <cstring>
#include <span>

#include "stamp/new_file.h"

namespace corvane {

copy_result keep_words(const copy_request& request, std::FILE* warnings) noexcept
{
    whole_file kept(request.words, warnings);
    if (const copy_result f = kept.create(); f.error != copy_error::none)
        return f;
    const auto& [kind, size, version, device_id] = request.given;
    for (const char* word : {kind, size, version, device_id, request.input}) {
        const char* const after = word == request.input ? "\n" : " ";
        for (const char* text : {word != nullptr ? word : "-", after})
            if (const copy_result f = kept.append(
                    std::span(reinterpret_cast<const std::uint8_t*>(text), std::strlen(text)));
                f.error != copy_error::none)
                return f;
    }
    return kept.replace();
}

} // namespace corvane
