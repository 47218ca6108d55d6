// Loading large checksum lists: time, and the memory the loaded list holds, for each format and encoding.
// Counters: entries, rss_MB (resident memory the loaded list adds) and peak_MB (the process's peak resident
// memory so far; run one benchmark per process with --benchmark_filter for a figure of that list alone).
#include "lists/clsDigestList.h"
#include "util/TextEncoding.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kEntries = 1000000;

double ResidentMB() {
    long pages = 0;
    long resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1e6;
}

double PeakMB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1e3;
}

std::string Hex(std::uint64_t value, int digits) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
        value = value * 0x9E3779B97F4A7C15ULL + static_cast<std::uint64_t>(i);
    }
    return text;
}

// Writes a list of kEntries lines made by `line(i)` once per process, line by line; `encode` turns each line
// into the file's encoding and `mark` starts the file.
std::string ListFile(const std::string& name, const std::function<std::string(int)>& line,
                     const std::function<std::string(const std::string&)>& encode = {}, const std::string& mark = {}) {
    const std::string path = (std::filesystem::temp_directory_path() / ("ferrule-bench-" + name)).string();
    if (!std::filesystem::exists(path)) {
        std::ofstream out(path, std::ios::binary);
        out << mark;
        for (int i = 0; i < kEntries; ++i) {
            out << (encode ? encode(line(i)) : line(i));
        }
    }
    return path;
}

// The memory figure is taken on the first load: later ones reuse what the first one gave back to the allocator.
void LoadBenchmark(benchmark::State& state, const std::string& path) {
    double added = -1;
    std::int32_t count = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const double before = ResidentMB();
        {
            clsDigestList list;
            state.ResumeTiming();
            list.LoadList(path);
            state.PauseTiming();
            count = list.Count();
            if (added < 0) {
                added = ResidentMB() - before;
            }
        }
        state.ResumeTiming();
    }
    state.counters["entries"] = count;
    state.counters["rss_MB"] = added;
    state.counters["peak_MB"] = PeakMB();
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
}

// The original form: name, CRC-32, size.
void BM_LoadOriginalCrc32(benchmark::State& state) {
    LoadBenchmark(state, ListFile("original.sfv", [](int i) {
                      return "IMG_" + std::to_string(1000000 + i) + "_photo.jpg " + Hex(i, 8) + " 1,234,567\r\n";
                  }));
}

// sha256sum over a tree: names with folders.
void BM_LoadSha256sum(benchmark::State& state) {
    LoadBenchmark(state, ListFile("sha256sum.txt", [](int i) {
                      return Hex(i, 64) + "  photos/" + std::to_string(2000 + i % 20) + "/IMG_" +
                             std::to_string(1000000 + i) + ".jpg\n";
                  }));
}

// md5sum --tag: each line fits the original grammar too, so each entry carries a second reading.
void BM_LoadMd5sumTag(benchmark::State& state) {
    LoadBenchmark(state, ListFile("md5tag.txt", [](int i) {
                      return "MD5 (IMG_" + std::to_string(1000000 + i) + ".jpg) = " + Hex(i, 32) + "\n";
                  }));
}

// UTF-8 without a mark, Japanese names: each line is also read in code page 932.
void BM_LoadUtf8Japanese(benchmark::State& state) {
    LoadBenchmark(state, ListFile("utf8.md5", [](int i) {
                      return "写真_" + std::to_string(1000000 + i) + "_夏休み.jpg " + Hex(i, 32) + "\r\n";
                  }));
}

// The same as UTF-16 LE with its mark, as PowerShell writes it.
void BM_LoadUtf16Japanese(benchmark::State& state) {
    LoadBenchmark(
        state, ListFile(
                   "utf16.md5",
                   [](int i) { return "写真_" + std::to_string(1000000 + i) + "_夏休み.jpg " + Hex(i, 32) + "\r\n"; },
                   [](const std::string& utf8) { return EncodeUtf16(utf8, false); }, "\xFF\xFE"));
}

BENCHMARK(BM_LoadOriginalCrc32)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadSha256sum)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadMd5sumTag)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadUtf8Japanese)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadUtf16Japanese)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
