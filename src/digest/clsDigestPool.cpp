#include "digest/clsDigestPool.h"

#include "digest/clsDigestQueue.h"
#include "digest/clsDigestWorker.h"

#include <algorithm>

namespace {

constexpr std::size_t kKiB = 1024;
constexpr std::size_t kMiB = 1024 * kKiB;
// One-stream files are read a megabyte at a time, as the file digest functions read them: few system calls,
// and a cancel is seen after at most that much.
constexpr std::size_t kStreamChunk = kMiB;

unsigned WorkerCount(unsigned asked) {
    if (asked > 0) {
        return asked;
    }
    return std::max(1U, std::thread::hardware_concurrency());
}

// A power of two between 16 KiB and 256 KiB such that every worker's lanes and its stream chunk fit the budget.
// Larger chunks gain nothing: two workers' lanes of 1 MiB each no longer fit the processor's last cache level
// here, and hash a tenth slower than with 256 KiB (bench_pool --lane-chunk).
std::size_t LaneChunk(const clsDigestPool::Options& options, unsigned workers, std::size_t lanes) {
    if (options.laneChunk > 0) {
        return options.laneChunk;
    }
    const std::size_t perWorker = options.memory / workers;
    const std::size_t perLane = perWorker > kStreamChunk ? (perWorker - kStreamChunk) / lanes : 0;
    std::size_t chunk = 256 * kKiB;
    while (chunk > 16 * kKiB && chunk > perLane) {
        chunk /= 2;
    }
    return chunk;
}

clsDigestPool::Options WithWorkers(unsigned workers) {
    clsDigestPool::Options options;
    options.workers = workers;
    return options;
}

} // namespace

clsDigestPool::clsDigestPool(unsigned workers) : clsDigestPool(WithWorkers(workers)) {}

clsDigestPool::clsDigestPool(const Options& options) : m_Engine(options.engine.value_or(clsMD5MultiBuffer::Chosen())) {
    const unsigned workers = WorkerCount(options.workers);
    m_Queue = std::make_unique<clsDigestQueue>(workers, options.window);
    // Everything that can fail is made here, on the caller's thread; the threads only hash.
    const std::size_t laneChunk = LaneChunk(options, workers, clsMD5MultiBuffer(m_Engine).Lanes());
    for (unsigned i = 0; i < workers; ++i) {
        m_Workers.push_back(std::make_unique<clsDigestWorker>(m_Engine, laneChunk, kStreamChunk));
    }
    try {
        for (unsigned i = 0; i < workers; ++i) {
            m_Threads.emplace_back([this, i] {
                clsDigestWorker& worker = *m_Workers[i];
                std::uint64_t batch = 0;
                while (m_Queue->WaitForBatch(batch)) {
                    worker.Work(*m_Queue);
                    m_Queue->WorkerDone();
                }
            });
        }
    } catch (...) {
        m_Queue->Shutdown();
        for (std::thread& thread : m_Threads) {
            thread.join();
        }
        throw;
    }
}

clsDigestPool::~clsDigestPool() {
    m_Queue->Shutdown();
    for (std::thread& thread : m_Threads) {
        thread.join();
    }
}

void clsDigestPool::Start(std::vector<DigestJob> jobs, bool more) {
    m_Queue->Start(std::move(jobs), more);
}

void clsDigestPool::Add(std::vector<DigestJob> jobs) {
    m_Queue->Add(std::move(jobs));
}

void clsDigestPool::NoMoreJobs() {
    m_Queue->NoMoreJobs();
}

std::string clsDigestPool::Take(std::size_t index) {
    return m_Queue->Take(index);
}

void clsDigestPool::Cancel() {
    m_Queue->Cancel();
}

std::uint64_t clsDigestPool::BytesDone() const {
    return m_Queue->BytesDone();
}
