// Throughput of the checksum: the byte-wise kernel alone, and a whole pass
// through the 512-byte read buffer over a file in the page cache.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "image/image_crc.h"
#include "stamp/crc_pass.h"

namespace {

void crc_kernel(benchmark::State& state)
{
    const std::vector<std::uint8_t> data(static_cast<std::size_t>(state.range(0)), 0xA5);
    for (auto _ : state)
        benchmark::DoNotOptimize(corvane::crc_accumulate(corvane::crc_initial, data));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(crc_kernel)->Arg(512)->Arg(1 << 20);

void crc_pass_over_file(benchmark::State& state)
{
    const auto size = static_cast<std::size_t>(state.range(0));
    std::FILE* file = std::tmpfile();
    const std::vector<std::uint8_t> data(size, 0xFF);
    std::fwrite(data.data(), 1, size, file);
    std::fflush(file);
    corvane::crc_buffer buf{};
    for (auto _ : state)
        benchmark::DoNotOptimize(corvane::image_crc_pass(file, size, buf).word);
    std::fclose(file);
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(crc_pass_over_file)->Arg(128 << 10)->Arg(16 << 20);

} // namespace

BENCHMARK_MAIN();
