// The digest pool against the file digest functions: the same text or the same error for every job, in list
// order, whatever the engine, the number of workers and readers, how the disc seeks, the memory budget and the
// window; a window the pool never runs beyond; cancels that stop a reader in the middle of a large file.
#include "DigestPoolTestFiles.h"
#include "TempFolder.h"
#include "digest/clsDigestPool.h"
#include "util/AppError.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using Engine = clsMD5MultiBuffer::Engine;
using namespace std::chrono_literals;

struct PoolSetup {
    const char* name;
    unsigned workers;
    std::optional<Engine> engine; // nothing: the chosen one
    DeviceSeeks seeks;
    unsigned readers;   // 0: the pool's own
    std::size_t memory; // 0: the pool's own
    std::size_t window;
};

const PoolSetup kSetups[] = {
    {"one worker, one-stream MD5, a disc that seeks", 1, Engine::Scalar, DeviceSeeks::Yes, 0, 0, 4096},
    {"one worker, AVX2 lanes, flash", 1, Engine::AVX2, DeviceSeeks::No, 0, 0, 4096},
    {"one worker, AVX-512 lanes, flash", 1, Engine::AVX512, DeviceSeeks::No, 0, 0, 4096},
    {"three workers, a share, 64 KiB of blocks", 3, std::nullopt, DeviceSeeks::Unknown, 0, 64 << 10, 4096},
    {"four workers, six readers, window of 3", 4, std::nullopt, DeviceSeeks::No, 6, 0, 3},
    {"two workers, window of 1, 256 KiB of blocks", 2, std::nullopt, DeviceSeeks::No, 0, 256 << 10, 1},
    {"two workers, a disc that seeks read by two, window of 2", 2, std::nullopt, DeviceSeeks::Yes, 2, 0, 2},
};

clsDigestPool::Options OptionsOf(const PoolSetup& setup) {
    clsDigestPool::Options options;
    options.workers = setup.workers;
    options.engine = setup.engine;
    options.readers = setup.readers;
    if (setup.memory > 0) {
        options.memory = setup.memory;
    }
    options.window = setup.window;
    const DeviceSeeks seeks = setup.seeks;
    options.seeks = [seeks](std::uint64_t) { return seeks; };
    return options;
}

// Every size where reading or hashing changes its course: MD5 block and padding edges, the 4 KiB blocks of the
// smallest budget, the 256 KiB chunks of flash, the one-megabyte blocks; then random sizes.
std::vector<std::size_t> Sizes(std::mt19937& random) {
    std::vector<std::size_t> sizes = {0,
                                      1,
                                      55,
                                      56,
                                      63,
                                      64,
                                      65,
                                      4095,
                                      4096,
                                      4097,
                                      16384,
                                      (256 << 10) - 1,
                                      256 << 10,
                                      (256 << 10) + 1,
                                      (1 << 20) - 1,
                                      (1 << 20),
                                      (1 << 20) + 1};
    for (int i = 0; i < 24; ++i) {
        sizes.push_back(random() % (i % 6 == 0 ? 3u << 20 : 40000u));
    }
    return sizes;
}

TEST(DigestPool, SameResultsAsTheFileFunctionsInListOrder) {
    TempFolder folder;
    std::mt19937 random(10);
    std::vector<std::string> paths;
    for (const std::size_t size : Sizes(random)) {
        paths.push_back(WriteRandomFile(folder, "f" + std::to_string(paths.size()) + ".bin", size, random));
    }
    std::filesystem::create_directory(folder.File("folder"));
    paths.push_back(folder.File("absent.bin"));
    paths.push_back(folder.File("folder"));
    // Every file with every kind, runs of one kind and mixed kinds, in random order.
    std::vector<DigestJob> jobs = EveryKindOfEveryFile(paths);
    std::shuffle(jobs.begin(), jobs.begin() + static_cast<std::ptrdiff_t>(jobs.size() / 2), random);
    const std::vector<Outcome> expected = FileFunctionOutcomes(jobs);

    for (const PoolSetup& setup : kSetups) {
        if (setup.engine && !clsMD5MultiBuffer::Runs(*setup.engine)) {
            continue;
        }
        SCOPED_TRACE(setup.name);
        clsDigestPool pool(OptionsOf(setup));
        ASSERT_EQ(pool.Workers(), setup.workers);
        // Twice: a pool takes batch after batch.
        for (int batch = 0; batch < 2; ++batch) {
            pool.Start(jobs);
            for (std::size_t i = 0; i < jobs.size(); ++i) {
                ASSERT_EQ(PoolOutcome(pool, i), expected[i]) << jobs[i].path << " kind " << jobs[i].kind;
            }
        }
    }
}

TEST(DigestPool, PassedOverJobsAndNewBatches) {
    TempFolder folder;
    std::mt19937 random(11);
    std::vector<std::string> paths;
    for (int i = 0; i < 40; ++i) {
        paths.push_back(WriteRandomFile(folder, std::to_string(i) + ".bin", random() % 100000, random));
    }
    const std::vector<DigestJob> jobs = EveryKindOfEveryFile(paths);
    const std::vector<Outcome> expected = FileFunctionOutcomes(jobs);
    clsDigestPool pool(2);
    // Only every seventh job taken; the others are dropped, wherever they are.
    pool.Start(jobs);
    for (std::size_t i = 3; i < jobs.size(); i += 7) {
        ASSERT_EQ(PoolOutcome(pool, i), expected[i]) << i;
    }
    // A batch left half taken gives way to the next.
    pool.Start(jobs);
    ASSERT_EQ(PoolOutcome(pool, 0), expected[0]);
    pool.Start(std::vector<DigestJob>(jobs.rbegin(), jobs.rend()));
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        ASSERT_EQ(PoolOutcome(pool, i), expected[jobs.size() - 1 - i]) << i;
    }
    pool.Start({});
    EXPECT_EQ(pool.BytesDone(), 0u);
}

// An open batch: jobs added while the workers hash the first ones, from another thread too, and a Take that
// waits for its job to be added.
TEST(DigestPool, OpenBatch) {
    TempFolder folder;
    std::mt19937 random(14);
    std::vector<std::string> paths;
    for (int i = 0; i < 12; ++i) {
        paths.push_back(WriteRandomFile(folder, std::to_string(i) + ".bin", random() % 200000, random));
    }
    const std::vector<DigestJob> jobs = EveryKindOfEveryFile(paths);
    const std::vector<Outcome> expected = FileFunctionOutcomes(jobs);
    clsDigestPool pool(3);
    pool.Start(std::vector<DigestJob>(jobs.begin(), jobs.begin() + 5), true);
    std::thread adder([&] {
        // One at a time, then in groups of up to 30.
        for (std::size_t i = 5, count = 1; i < jobs.size(); i += count, count = 1 + i % 30) {
            std::this_thread::sleep_for(1ms);
            const std::size_t end = std::min(jobs.size(), i + count);
            pool.Add(std::vector<DigestJob>(jobs.begin() + static_cast<std::ptrdiff_t>(i),
                                            jobs.begin() + static_cast<std::ptrdiff_t>(end)));
        }
        pool.NoMoreJobs();
    });
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        ASSERT_EQ(PoolOutcome(pool, i), expected[i]) << i;
    }
    adder.join();
    const auto errorNumber = [](const auto& call) {
        try {
            call();
        } catch (const AppError& error) {
            return error.Number();
        }
        return 0;
    };
    EXPECT_EQ(errorNumber([&] { pool.Take(jobs.size()); }), 5); // closed: no job will come
    EXPECT_EQ(errorNumber([&] { pool.Add({jobs[0]}); }), 5);
    // A Take waiting for a job nobody adds ends with the cancel.
    pool.Start({}, true);
    std::thread canceller([&] {
        std::this_thread::sleep_for(20ms);
        pool.Cancel();
    });
    EXPECT_THROW(pool.Take(0), DigestCancelled);
    canceller.join();
}

TEST(DigestPool, MisuseRaisesErrorFive) {
    TempFolder folder;
    const std::string path = folder.Write("a.bin", "abc");
    clsDigestPool pool(2);
    for (const std::int32_t number : {0, 9, -1}) {
        const auto kind = static_cast<DigestKind>(number);
        try {
            pool.Start({DigestJob{path, DigestKind::CRC32, 3}, DigestJob{path, kind, 3}});
            ADD_FAILURE() << "kind " << number << " started";
        } catch (const AppError& error) {
            EXPECT_EQ(error.Number(), 5);
        }
    }
    pool.Start({DigestJob{path, DigestKind::CRC32, 3}, DigestJob{path, DigestKind::MD5, 3}});
    EXPECT_EQ(pool.Take(1).digest, "900150983cd24fb0d6963f7d28e17f72");
    for (const std::size_t index : {0, 1, 2}) {
        try {
            pool.Take(index);
            ADD_FAILURE() << "took " << index;
        } catch (const AppError& error) {
            EXPECT_EQ(error.Number(), 5);
        }
    }
}

// Large CRC files are hashed in parts by several workers and joined: the same CRC as one pass, whether the
// length given with the job is right, too large (parts past the end read nothing) or too small (the last part
// reads to the real end). Sparse files with random bytes around the part edges.
TEST(DigestPool, LargeCRCFilesInParts) {
    TempFolder folder;
    std::mt19937 random(13);
    constexpr std::uint64_t kMiB = 1 << 20;
    const std::string path = folder.File("large.bin");
    std::filesystem::resize_file(std::filesystem::u8path(folder.Write("large.bin", "")), 160 * kMiB + 12345);
    {
        std::fstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::in | std::ios::out);
        for (const std::uint64_t at : {std::uint64_t{0}, 32 * kMiB - 3000, 75 * kMiB, 130 * kMiB - 10, 160 * kMiB}) {
            std::string bytes(12345, '\0');
            for (char& byte : bytes) {
                byte = static_cast<char>(random());
            }
            out.seekp(static_cast<std::streamoff>(at));
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
    }
    const std::string expected[] = {FileCRC16(path), FileCRC32(path)};
    const auto actual = static_cast<std::int64_t>(std::filesystem::file_size(std::filesystem::u8path(path)));
    for (const unsigned workers : {2u, 3u, 20u}) {
        clsDigestPool pool(workers);
        std::vector<DigestJob> jobs;
        for (const std::int64_t length : {actual, 2 * actual, actual / 2}) {
            jobs.push_back({path, DigestKind::CRC16, length});
            jobs.push_back({path, DigestKind::CRC32, length});
        }
        pool.Start(jobs);
        for (std::size_t i = 0; i < jobs.size(); ++i) {
            EXPECT_EQ(pool.Take(i).digest, expected[i % 2]) << workers << " workers, length " << jobs[i].length;
        }
    }
}

// The consumer decides how far the workers go: never beyond the window ahead of the last job taken.
TEST(DigestPool, WindowHoldsTheWorkersBack) {
    TempFolder folder;
    std::mt19937 random(12);
    constexpr std::size_t kSize = 1000;
    constexpr std::size_t kWindow = 5;
    std::vector<std::string> paths;
    for (int i = 0; i < 60; ++i) {
        paths.push_back(WriteRandomFile(folder, std::to_string(i) + ".bin", kSize, random));
    }
    std::vector<DigestJob> jobs;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        jobs.push_back({paths[i], i % 3 == 0 ? DigestKind::CRC32 : DigestKind::MD5, static_cast<std::int64_t>(kSize)});
    }
    clsDigestPool::Options options;
    options.workers = 3;
    options.window = kWindow;
    clsDigestPool pool(options);
    pool.Start(jobs);
    for (std::size_t taken = 0; taken < 20; taken += 4) {
        const std::uint64_t limit = (taken + kWindow) * kSize;
        // The workers fill the window, then stop there however long the consumer waits.
        for (int wait = 0; wait < 2000 && pool.BytesDone() < limit; ++wait) {
            std::this_thread::sleep_for(1ms);
        }
        EXPECT_EQ(pool.BytesDone(), limit);
        std::this_thread::sleep_for(30ms);
        EXPECT_EQ(pool.BytesDone(), limit);
        for (std::size_t i = taken; i < taken + 4; ++i) {
            pool.Take(i);
        }
    }
}

// A sparse file of 4 GiB: reading it costs no disk, hashing all of it several seconds.
class LargeFile : public ::testing::Test {
protected:
    void SetUp() override {
        m_Path = m_Folder.File("large.bin");
        std::ofstream(std::filesystem::u8path(m_Path), std::ios::binary).put('x');
        std::filesystem::resize_file(std::filesystem::u8path(m_Path), kLength);
    }

    static constexpr std::uint64_t kLength = std::uint64_t{4} << 30;
    TempFolder m_Folder;
    std::string m_Path;
};

// Cancel while the consumer waits for a file in the middle of being hashed, on another thread: the wait ends in
// DigestCancelled, and the workers put the file down after a chunk, so the next batch starts at once.
TEST_F(LargeFile, CancelStopsTheWorkersMidFile) {
    const std::string small = m_Folder.Write("small.bin", "abc");
    for (const DigestKind kind : {DigestKind::MD5, DigestKind::SHA256, DigestKind::CRC32}) {
        SCOPED_TRACE(static_cast<int>(kind));
        clsDigestPool pool(2);
        pool.Start(
            {DigestJob{m_Path, kind, static_cast<std::int64_t>(kLength)}, DigestJob{m_Path, DigestKind::MD5, 1}});
        std::atomic<bool> cancelled{false};
        std::thread consumer([&] {
            try {
                pool.Take(0);
            } catch (const DigestCancelled&) {
                cancelled = true;
            }
        });
        while (pool.BytesDone() < (std::uint64_t{16} << 20)) {
            std::this_thread::sleep_for(1ms);
        }
        const auto start = std::chrono::steady_clock::now();
        pool.Cancel();
        consumer.join();
        EXPECT_TRUE(cancelled);
        EXPECT_THROW(pool.Take(1), DigestCancelled);
        // Start waits for the workers to leave the cancelled batch: a bound far below what the rest of the
        // file would take shows that they left it in the middle.
        pool.Start({DigestJob{small, DigestKind::CRC32, 3}});
        EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
        EXPECT_EQ(pool.Take(0).digest, "352441C2");
    }
}

// A pool destroyed in the middle of a batch stops its workers and ends.
TEST_F(LargeFile, DestroyedMidFile) {
    auto pool = std::make_unique<clsDigestPool>(1);
    pool->Start({DigestJob{m_Path, DigestKind::MD5, static_cast<std::int64_t>(kLength)}});
    while (pool->BytesDone() == 0) {
        std::this_thread::sleep_for(1ms);
    }
    const auto start = std::chrono::steady_clock::now();
    pool.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

} // namespace
