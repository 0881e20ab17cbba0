#pragma once

#include <cstdint>
#include <span>

namespace corvane {

// The checksum engine, chosen when the tool is configured: ISA-L's CRC-32
// where the build has it (it picks the processor's fastest path at run time),
// else zlib's, else the byte-wise table of image_crc.h. Each gives the same
// register.

// Feeds the bytes into the register: the register in, the register out, no
// inversion on either side, so that a stream may be fed in pieces of any size.
[[nodiscard]] std::uint32_t crc_accumulate(std::uint32_t reg,
                                           std::span<const std::uint8_t> bytes) noexcept;

// "isa-l", "zlib" or "table", for reports and benchmarks.
[[nodiscard]] const char* crc_engine_name() noexcept;

} // namespace corvane
