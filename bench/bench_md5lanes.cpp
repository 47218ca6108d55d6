// Multi-buffer MD5 on one core over memory: the vector kernels alone (one and two interleaved sets of lanes),
// the engine as a caller drives it, and one-stream MD5 for comparison. Bytes per second count every lane.
#include "digest/MD5Block.h"
#include "digest/MD5Lanes.h"
#include "digest/clsMD5Context.h"
#include "digest/clsMD5MultiBuffer.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

using Engine = clsMD5MultiBuffer::Engine;

const std::vector<unsigned char>& RandomBytes(std::size_t size) {
    static std::vector<unsigned char> bytes;
    if (bytes.size() < size) {
        std::mt19937_64 random(7);
        bytes.resize(size);
        for (unsigned char& byte : bytes) {
            byte = static_cast<unsigned char>(random());
        }
    }
    return bytes;
}

// The kernel over `lanes` lanes of range(0) bytes each, lane i after lane i - 1 in one buffer.
void Kernel(benchmark::State& state, MD5LanesKernel kernel, Engine needs, std::size_t lanes) {
    if (!clsMD5MultiBuffer::Runs(needs)) {
        state.SkipWithError("this processor does not run the kernel");
        return;
    }
    const std::size_t perLane = static_cast<std::size_t>(state.range(0));
    const auto& bytes = RandomBytes(lanes * perLane);
    std::vector<const unsigned char*> blocks(lanes);
    for (std::size_t i = 0; i < lanes; ++i) {
        blocks[i] = bytes.data() + i * perLane;
    }
    std::vector<std::uint32_t> chaining(4 * lanes);
    const std::uint32_t mask = lanes == 32 ? 0xFFFFFFFFU : (std::uint32_t{1} << lanes) - 1;
    for (auto _ : state) {
        kernel(chaining.data(), blocks.data(), mask, perLane / 64);
        benchmark::DoNotOptimize(chaining.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * lanes * perLane));
}

// The engine as a pool's worker drives it: every lane a stream of range(0) bytes handed over in chunks of
// range(1) bytes, Run, Finish.
void EngineStreams(benchmark::State& state, Engine engine) {
    if (!clsMD5MultiBuffer::Runs(engine)) {
        state.SkipWithError("this processor does not run the engine");
        return;
    }
    clsMD5MultiBuffer md5(engine);
    const std::size_t lanes = md5.Lanes();
    const std::size_t perLane = static_cast<std::size_t>(state.range(0));
    const std::size_t chunk = static_cast<std::size_t>(state.range(1));
    const auto& bytes = RandomBytes(lanes * perLane);
    std::vector<std::size_t> offsets(lanes);
    for (auto _ : state) {
        for (std::size_t i = 0; i < lanes; ++i) {
            md5.Open(i);
            offsets[i] = 0;
        }
        std::size_t open = lanes;
        while (open > 0) {
            for (std::size_t i = 0; i < lanes; ++i) {
                if (!md5.IsOpen(i) || !md5.NeedsData(i)) {
                    continue;
                }
                if (offsets[i] == perLane) {
                    benchmark::DoNotOptimize(md5.Finish(i));
                    --open;
                    continue;
                }
                const std::size_t size = std::min(chunk, perLane - offsets[i]);
                md5.Submit(i, bytes.data() + i * perLane + offsets[i], size);
                offsets[i] += size;
            }
            md5.Run();
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * lanes * perLane));
    state.SetLabel(std::to_string(lanes) + " lanes");
}

void OneStreamLibrary(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    const auto& bytes = RandomBytes(size);
    for (auto _ : state) {
        clsMD5Context md5;
        md5.Update(bytes.data(), size);
        clsMD5Context::Digest digest{};
        benchmark::DoNotOptimize(md5.Final(digest));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

// Our own one-stream block function, which takes over lanes when only a few are busy.
void OneStreamBlocks(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    const auto& bytes = RandomBytes(size);
    std::uint32_t chaining[4] = {kMD5Initial[0], kMD5Initial[1], kMD5Initial[2], kMD5Initial[3]};
    for (auto _ : state) {
        MD5CompressBlocks(chaining, bytes.data(), size / 64);
        benchmark::DoNotOptimize(chaining);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

constexpr std::int64_t kKiB = 1024;
constexpr std::int64_t kMiB = 1024 * kKiB;

} // namespace

#if defined(FERRULE_MD5_VECTOR)
BENCHMARK_CAPTURE(Kernel, AVX2x1_8lanes, MD5LanesAVX2x1, Engine::AVX2, 8)->Arg(64 * kKiB)->Arg(kMiB);
BENCHMARK_CAPTURE(Kernel, AVX2x2_16lanes, MD5LanesAVX2x2, Engine::AVX2, 16)->Arg(64 * kKiB)->Arg(kMiB);
BENCHMARK_CAPTURE(Kernel, AVX512x1_16lanes, MD5LanesAVX512x1, Engine::AVX512, 16)->Arg(64 * kKiB)->Arg(kMiB);
BENCHMARK_CAPTURE(Kernel, AVX512x2_32lanes, MD5LanesAVX512x2, Engine::AVX512, 32)->Arg(32 * kKiB)->Arg(kMiB);
#endif
BENCHMARK_CAPTURE(EngineStreams, scalar, Engine::Scalar)->Args({kMiB, 256 * kKiB});
BENCHMARK_CAPTURE(EngineStreams, avx2, Engine::AVX2)->Args({kMiB, 256 * kKiB})->Args({4 * kKiB, 4 * kKiB});
BENCHMARK_CAPTURE(EngineStreams, avx512, Engine::AVX512)->Args({kMiB, 256 * kKiB})->Args({4 * kKiB, 4 * kKiB});
BENCHMARK(OneStreamLibrary)->Arg(kMiB);
BENCHMARK(OneStreamBlocks)->Arg(kMiB);

BENCHMARK_MAIN();
