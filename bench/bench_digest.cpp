// Raw digest throughput: over memory, and over files in the page cache through the file reader.
#include "digest/CRC16.h"
#include "digest/CRC32.h"
#include "digest/clsMD5Context.h"
#include "digest/mdlAPICRC32.h"
#include "digest/mdlAPIMD5.h"
#include "util/SequentialFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> RandomBytes(std::size_t size) {
    std::mt19937_64 random(42);
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
        const std::uint64_t word = random();
        for (int k = 0; k < 8; ++k) {
            bytes[i + static_cast<std::size_t>(k)] = static_cast<unsigned char>(word >> (8 * k));
        }
    }
    return bytes;
}

// Files written once per process in a temporary folder, removed at exit; read once before timing
// so they are in the page cache.
class BenchFiles {
public:
    BenchFiles() {
        std::string pattern = (std::filesystem::temp_directory_path() / "ferrule-bench-XXXXXX").string();
        m_Folder = ::mkdtemp(pattern.data());
    }
    ~BenchFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(m_Folder, ignored);
    }

    const std::string& File(std::size_t size) {
        const std::string path = m_Folder + "/" + std::to_string(size) + ".bin";
        if (!std::filesystem::exists(path)) {
            const std::vector<unsigned char> bytes = RandomBytes(size);
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            ReadSequentialFile(path, [](const unsigned char*, std::size_t) { return true; });
        }
        m_Last = path;
        return m_Last;
    }

private:
    std::string m_Folder;
    std::string m_Last;
};

BenchFiles& Files() {
    static BenchFiles files;
    return files;
}

void CRC16Memory(benchmark::State& state) {
    const auto bytes = RandomBytes(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(UpdateCRC16(0, bytes.data(), bytes.size()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void CRC32Memory(benchmark::State& state) {
    const auto bytes = RandomBytes(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(UpdateCRC32(0, bytes.data(), bytes.size()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void MD5Memory(benchmark::State& state) {
    const auto bytes = RandomBytes(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        clsMD5Context md5;
        md5.Update(bytes.data(), bytes.size());
        clsMD5Context::Digest digest{};
        benchmark::DoNotOptimize(md5.Final(digest));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

// Reading alone, no digest: what the file reader costs.
void ReadFile(benchmark::State& state) {
    const std::string path = Files().File(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadSequentialFile(path, [](const unsigned char* data, std::size_t) {
            benchmark::DoNotOptimize(data);
            return true;
        }));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

template <std::string (*Digest)(const std::string&)>
void DigestFile(benchmark::State& state) {
    const std::string path = Files().File(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(Digest(path));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

constexpr std::int64_t kKiB = 1024;
constexpr std::int64_t kMiB = 1024 * kKiB;

} // namespace

BENCHMARK(CRC16Memory)->Arg(4 * kKiB)->Arg(kMiB)->Arg(64 * kMiB);
BENCHMARK(CRC32Memory)->Arg(4 * kKiB)->Arg(kMiB)->Arg(64 * kMiB);
BENCHMARK(MD5Memory)->Arg(4 * kKiB)->Arg(kMiB)->Arg(64 * kMiB);
BENCHMARK(ReadFile)->Arg(4 * kKiB)->Arg(256 * kMiB);
BENCHMARK_TEMPLATE(DigestFile, FileCRC16)->Name("FileCRC16")->Arg(4 * kKiB)->Arg(256 * kMiB);
BENCHMARK_TEMPLATE(DigestFile, FileCRC32)->Name("FileCRC32")->Arg(4 * kKiB)->Arg(256 * kMiB);
BENCHMARK_TEMPLATE(DigestFile, FileMD5)->Name("FileMD5")->Arg(4 * kKiB)->Arg(256 * kMiB);

BENCHMARK_MAIN();
