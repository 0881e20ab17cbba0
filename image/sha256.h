#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace corvane {

// SHA-256 (FIPS 180-4), for the digest a release manifest records of an image: fed in pieces of
// any size, finished once. `sha256` is the build's engine: nettle's, which uses the processor's SHA
// instructions where it has them (some 1.6 GiB/s with SHA-NI), where the build finds nettle; else
// the built-in one below. sha256_engine_name() says which ("nettle", "built-in").
class sha256 {
public:
    sha256() noexcept;
    void feed(std::span<const std::uint8_t> bytes) noexcept;
    // The digest of everything fed; the state is spent.
    [[nodiscard]] std::array<std::uint8_t, 32> finish() noexcept;

private:
    alignas(8) std::array<std::uint8_t, 128> state_; // the engine's own state, in place
};
[[nodiscard]] const char* sha256_engine_name() noexcept;

// A digest as the manifests and the reports write it: 64 lower-case hexadecimal digits.
[[nodiscard]] inline std::array<char, 64>
digest_hex(const std::array<std::uint8_t, 32>& digest) noexcept
{
    constexpr char digits[] = "0123456789abcdef";
    std::array<char, 64> hex{};
    for (std::size_t i = 0; i < digest.size(); ++i) {
        hex[2 * i] = digits[digest[i] >> 4];
        hex[2 * i + 1] = digits[digest[i] & 0xF];
    }
    return hex;
}

// The built-in SHA-256: portable and the same on every platform, without the processors' SHA
// instructions, some 0.15 GiB/s. The engine where no library is found, and the tests' check of
// the library's on the same bytes.
class sha256_builtin {
public:
    void feed(std::span<const std::uint8_t> bytes) noexcept;
    // The digest of everything fed; the state is spent.
    [[nodiscard]] std::array<std::uint8_t, 32> finish() noexcept;

private:
    void compress(const std::uint8_t* block) noexcept;

    std::array<std::uint32_t, 8> state_ = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                           0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::array<std::uint8_t, 64> block_{};
    std::size_t used_ = 0;     // bytes of `block_` in use
    std::uint64_t length_ = 0; // bytes fed
};

} // namespace corvane
