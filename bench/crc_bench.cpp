// Throughput of the checksum: the byte-wise table, the build's engine and
// zlib's crc32 on the same buffer, whole (64 MiB) and fed 512 bytes at a
// time; and a whole pass over a file in the page cache through the work buffer.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <span>
#include <vector>

#include "image/crc_engine.h"
#include "image/image_crc.h"
#include "io/crc_pass.h"

namespace {

const std::vector<std::uint8_t>& data()
{
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> b(64 << 20);
        for (std::size_t i = 0; i < b.size(); ++i)
            b[i] = static_cast<std::uint8_t>(i * 2654435761u >> 24);
        return b;
    }();
    return bytes;
}

std::uint32_t table(std::uint32_t reg, std::span<const std::uint8_t> b)
{
    return corvane::crc_accumulate_bytewise(reg, b);
}
std::uint32_t engine(std::uint32_t reg, std::span<const std::uint8_t> b)
{
    return corvane::crc_accumulate(reg, b);
}
std::uint32_t zlib(std::uint32_t reg, std::span<const std::uint8_t> b)
{
    return static_cast<std::uint32_t>(crc32(reg, b.data(), static_cast<uInt>(b.size())));
}

// range(0): the piece size, 0 for the whole buffer.
template <std::uint32_t (*Crc)(std::uint32_t, std::span<const std::uint8_t>)>
void crc(benchmark::State& state)
{
    const std::span<const std::uint8_t> all = data();
    const auto piece = state.range(0) == 0 ? all.size() : static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        std::uint32_t reg = corvane::crc_initial;
        for (std::size_t at = 0; at < all.size(); at += piece)
            reg = Crc(reg, all.subspan(at, piece));
        benchmark::DoNotOptimize(reg);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(all.size()));
    state.SetLabel(Crc == engine ? corvane::crc_engine_name() : "");
}
BENCHMARK(crc<table>)->Arg(0)->Arg(512);
BENCHMARK(crc<engine>)->Arg(0)->Arg(512);
BENCHMARK(crc<zlib>)->Arg(0)->Arg(512);

void crc_pass_over_file(benchmark::State& state)
{
    const auto size = static_cast<std::size_t>(state.range(0));
    char name[] = "/tmp/corvane-bench-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd < 0 || ::write(fd, data().data(), size) != static_cast<ssize_t>(size)) {
        state.SkipWithError("cannot write a scratch file");
        return;
    }
    ::close(fd);
    corvane::image_file file;
    if (!file.open(name, corvane::open_mode::read).ok()) {
        state.SkipWithError("cannot open the scratch file");
        return;
    }
    static corvane::crc_buffer buf{};
    std::uint32_t word = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            corvane::image_crc_pass(file, corvane::layout_of(size), buf, word).ok());
        benchmark::DoNotOptimize(word);
    }
    ::unlink(name);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
}
BENCHMARK(crc_pass_over_file)->Arg(128 << 10)->Arg(64 << 20);

} // namespace

BENCHMARK_MAIN();
