// The digest pool over the files of a checksum list, as a checker would run it: reads a list of lines
// "DIGEST  NAME" (md5sum, sha256sum and the like) or an SFV list ("NAME CRC32", ';' comments), hashes every
// file with the kind the digest's width names (8 digits CRC-32, 32 MD5, 40 SHA-1, 64 SHA-256, 128 SHA-512),
// and compares. Exit status 0 when every file matches, 1 otherwise, 2 on a bad list. Timed from outside like
// the tools it is compared with (bench/run-bench.sh).
//
// Each listed file is looked up (its length) and added, 64 at a time, to an open batch while the workers
// already hash the first ones; --whole looks them all up first and starts the batch with all of them.
//
// Usage: bench_pool [--jobs N] [--readers N] [--memory BYTES] [--window N] [--whole] LIST   (names relative to the
// current folder)
#include "digest/clsDigestPool.h"
#include "util/AppError.h"
#include "util/FileSystem.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Line {
    std::string name;
    std::string digest;
};

bool IsHex(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

bool ReadList(const char* path, std::vector<Line>& lines) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::string text;
    while (std::getline(in, text)) {
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        if (text.empty() || text[0] == ';') {
            continue;
        }
        const std::size_t gap = text.find("  ");
        if (gap != std::string::npos && IsHex(text.substr(0, gap))) {
            lines.push_back({text.substr(gap + 2), text.substr(0, gap)});
        } else if (const std::size_t blank = text.rfind(' '); blank != std::string::npos) {
            lines.push_back({text.substr(0, blank), text.substr(blank + 1)});
        }
        if (lines.empty() || DigestKindOfWidth(lines.back().digest.size()) == DigestKind::None ||
            !IsHex(lines.back().digest)) {
            return false;
        }
    }
    return true;
}

bool SameHex(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if ((a[i] | 0x20) != (b[i] | 0x20)) {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    clsDigestPool::Options options;
    const char* list = nullptr;
    bool whole = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--jobs" && i + 1 < argc) {
            options.workers = static_cast<unsigned>(std::atoi(argv[++i]));
        } else if (arg == "--readers" && i + 1 < argc) {
            options.readers = static_cast<unsigned>(std::atoi(argv[++i]));
        } else if (arg == "--memory" && i + 1 < argc) {
            options.memory = static_cast<std::size_t>(std::atoll(argv[++i]));
        } else if (arg == "--window" && i + 1 < argc) {
            options.window = static_cast<std::size_t>(std::atoll(argv[++i]));
        } else if (arg == "--whole") {
            whole = true;
        } else {
            list = argv[i];
        }
    }
    std::vector<Line> lines;
    if (list == nullptr || !ReadList(list, lines)) {
        std::fprintf(stderr,
                     "usage: bench_pool [--jobs N] [--readers N] [--memory BYTES] [--window N] [--whole] LIST\n");
        return 2;
    }
    clsDigestPool pool(options);
    // The lengths, as a check finds them when it looks for each listed file.
    const auto job = [](const Line& line) {
        return DigestJob{line.name, DigestKindOfWidth(line.digest.size()), ExistingFileLength(line.name).value_or(-1)};
    };
    if (whole) {
        std::vector<DigestJob> jobs;
        jobs.reserve(lines.size());
        for (const Line& line : lines) {
            jobs.push_back(job(line));
        }
        pool.Start(std::move(jobs));
    } else {
        pool.Start({}, true);
        std::vector<DigestJob> group;
        for (const Line& line : lines) {
            group.push_back(job(line));
            if (group.size() == 64) {
                pool.Add(std::move(group));
                group.clear();
            }
        }
        pool.Add(std::move(group));
        pool.NoMoreJobs();
    }
    int status = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        try {
            if (!SameHex(pool.Take(i).digest, lines[i].digest)) {
                std::printf("%s: FAILED\n", lines[i].name.c_str());
                status = 1;
            }
        } catch (const AppError& error) {
            std::printf("%s: %s\n", lines[i].name.c_str(), error.what());
            status = 1;
        }
    }
    std::fprintf(stderr, "%zu files, %llu bytes, %u workers, MD5 engine %s\n", lines.size(),
                 static_cast<unsigned long long>(pool.BytesDone()), pool.Workers(),
                 clsMD5MultiBuffer::Name(pool.Engine()));
    return status;
}
