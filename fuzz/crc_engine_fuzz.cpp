// The build's checksum engine against the byte-wise table on arbitrary bytes,
// fed in pieces cut where the input's first bytes say.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "image/crc_engine.h"
#include "image/image_crc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace corvane;
    if (size < 4)
        return 0;
    const std::span<const std::uint8_t> cuts(data, 4), bytes(data + 4, size - 4);
    const std::uint32_t reference = crc_accumulate_bytewise(crc_initial, bytes);
    std::uint32_t reg = crc_initial;
    std::size_t from = 0;
    for (const std::uint8_t cut : cuts) {
        const std::size_t to = from + (bytes.size() - from) * cut / 255;
        reg = crc_accumulate(reg, bytes.subspan(from, to - from));
        from = to;
    }
    if (crc_accumulate(reg, bytes.subspan(from)) != reference)
        std::abort();
    return 0;
}
