#include <new>

#include "image/sha256.h"

// Where no library is found: the built-in SHA-256, held in the class's own storage.
namespace corvane {

namespace {

sha256_builtin& engine(std::array<std::uint8_t, 128>& state) noexcept
{
    static_assert(sizeof(sha256_builtin) <= sizeof state && alignof(sha256_builtin) <= 8);
    return *std::launder(reinterpret_cast<sha256_builtin*>(state.data()));
}

} // namespace

sha256::sha256() noexcept { new (state_.data()) sha256_builtin; }

void sha256::feed(std::span<const std::uint8_t> bytes) noexcept { engine(state_).feed(bytes); }

std::array<std::uint8_t, 32> sha256::finish() noexcept { return engine(state_).finish(); }

const char* sha256_engine_name() noexcept { return "built-in"; }

} // namespace corvane
