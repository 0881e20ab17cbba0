#include <nettle/sha2.h>

#include <new>

#include "image/sha256.h"

// nettle's SHA-256, which picks the processor's SHA instructions at run time where it was built
// to (Debian's is), held in the class's own storage: nothing is allocated.
namespace corvane {

namespace {

sha256_ctx& context(std::array<std::uint8_t, 128>& state) noexcept
{
    static_assert(sizeof(sha256_ctx) <= sizeof state && alignof(sha256_ctx) <= 8);
    return *std::launder(reinterpret_cast<sha256_ctx*>(state.data()));
}

} // namespace

sha256::sha256() noexcept { sha256_init(new (state_.data()) sha256_ctx); }

void sha256::feed(std::span<const std::uint8_t> bytes) noexcept
{
    sha256_update(&context(state_), bytes.size(), bytes.data());
}

std::array<std::uint8_t, 32> sha256::finish() noexcept
{
    std::array<std::uint8_t, 32> digest{};
    sha256_digest(&context(state_), digest.size(), digest.data());
    return digest;
}

const char* sha256_engine_name() noexcept { return "nettle"; }

} // namespace corvane
