// The whole command line, from an argument vector to the header record, with
// no file access: the input is split at NUL bytes into argument words. An
// accepted command line must give a record with the signature and exactly the
// parsed fields, and only what the rules allow.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "image/arg_values.h"
#include "image/device_ids.h"
#include "image/image_header.h"
#include "image/image_layout.h"
#include "tools/corvane/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace corvane;
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    std::vector<char*> args{const_cast<char*>("corvane")};
    for (std::size_t at = 0; at < size && args.size() < 11; at += std::strlen(&text[at]) + 1)
        args.push_back(&text[at]);

    const command_check check = check_command_line(args);
    if (check.verdict != command_verdict::accepted)
        return 0;
    const stamp_request& request = check.request;
    if (args.size() != 9 || std::string_view(args[2]) != request.kind->word ||
        !whole_units(request.image_size, request.kind->size_unit) ||
        !device_id_accepted(request.device_id) ||
        request.image_size != image_size_from_kb(decimal_value(args[4])) ||
        request.device_id != device_id_from_digits(args[8]))
        std::abort();

    image_header header{};
    build_image_header(header, request.kind->type_code, request.version, request.image_size,
                       request.device_id);
    const auto& b = header.bytes;
    const auto le = [&](std::size_t at, int n) {
        std::uint32_t v = 0;
        for (int i = n - 1; i >= 0; --i)
            v = v << 8 | b[at + static_cast<std::size_t>(i)];
        return v;
    };
    bool ok = has_signature(header) && b[header_field::type] == request.kind->type_code &&
              std::memcmp(&b[header_field::version], request.version.data(), 5) == 0 &&
              le(header_field::size, 4) == request.image_size &&
              le(header_field::device_id, 2) == request.device_id && le(header_field::crc, 4) == 0;
    for (std::size_t i = header_field::reserved; i < header_field::crc; ++i)
        ok = ok && b[i] == 0;
    if (!ok)
        std::abort();
    return 0;
}
