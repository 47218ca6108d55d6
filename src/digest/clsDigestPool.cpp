#include "digest/clsDigestPool.h"

#include "digest/clsDigestQueue.h"
#include "digest/clsDigestWorker.h"
#include "util/FileSystem.h"

#include <algorithm>

namespace {

constexpr std::size_t kKiB = 1024;
constexpr std::size_t kMiB = 1024 * kKiB;
// One-stream files are read up to a megabyte at a time, as the file digest functions read them: few system
// calls, and a cancel is seen after at most that much.
constexpr std::size_t kMaxStreamChunk = kMiB;
constexpr std::size_t kMinStreamChunk = 64 * kKiB;
constexpr std::size_t kMinLaneChunk = 16 * kKiB;
constexpr std::size_t kMaxLaneChunk = 256 * kKiB;
// More threads than this help no disc and no processor of today; a 32-bit process may not even make them.
constexpr unsigned kMaxWorkers = 64;
// Descriptors left to the rest of the process: the window's connection, fonts, lists being read, a terminal.
constexpr std::size_t kReservedFiles = 64;

unsigned WorkerCount(unsigned asked) {
    return std::min(asked > 0 ? asked : std::max(1U, std::thread::hardware_concurrency()), kMaxWorkers);
}

std::size_t PowerOfTwoAtMost(std::size_t bytes, std::size_t lowest, std::size_t highest) {
    std::size_t chunk = highest;
    while (chunk > lowest && chunk > bytes) {
        chunk /= 2;
    }
    return chunk;
}

// How the pool is cut: workers, lanes and chunks that keep within the open files and the memory budget.
struct Layout {
    unsigned workers = 1;
    std::size_t lanes = 0;
    std::size_t laneChunk = 0;
    std::size_t streamChunk = 0;
};

Layout LayoutFor(const clsDigestPool::Options& options, std::size_t engineLanes) {
    Layout layout;
    layout.workers = WorkerCount(options.workers);
    // Files: a worker holds its lanes' files and one more. Two each at least, else fewer workers.
    const std::size_t limit = OpenFileLimit();
    const std::size_t files =
        options.openFiles > 0 ? options.openFiles : (limit > 2 * kReservedFiles ? limit - kReservedFiles : limit / 2);
    layout.workers = static_cast<unsigned>(std::clamp<std::size_t>(files / 2, 1, layout.workers));
    const std::size_t filesPerWorker = std::max<std::size_t>(files / layout.workers, 2);
    layout.lanes = std::min(engineLanes, filesPerWorker - 1);
    if (layout.lanes < 2) {
        layout.lanes = 0;
    }
    // Memory: every worker needs its smallest chunks; as many workers as the budget holds.
    const std::size_t smallest = layout.lanes * kMinLaneChunk + kMinStreamChunk;
    layout.workers = static_cast<unsigned>(std::clamp<std::size_t>(options.memory / smallest, 1, layout.workers));
    const std::size_t perWorker = options.memory / layout.workers;
    layout.streamChunk = PowerOfTwoAtMost(perWorker / 4, kMinStreamChunk, kMaxStreamChunk);
    if (layout.lanes > 0) {
        // Larger lane chunks gain nothing: two workers' lanes of 1 MiB each no longer fit the processor's
        // last cache level here, and hash a tenth slower than with 256 KiB (bench_pool --lane-chunk).
        const std::size_t perLane = (perWorker - std::min(perWorker, layout.streamChunk)) / layout.lanes;
        layout.laneChunk =
            options.laneChunk > 0 ? options.laneChunk : PowerOfTwoAtMost(perLane, kMinLaneChunk, kMaxLaneChunk);
    }
    return layout;
}

clsDigestPool::Options WithWorkers(unsigned workers) {
    clsDigestPool::Options options;
    options.workers = workers;
    return options;
}

} // namespace

clsDigestPool::clsDigestPool(unsigned workers) : clsDigestPool(WithWorkers(workers)) {}

clsDigestPool::clsDigestPool(const Options& options) : m_Engine(options.engine.value_or(clsMD5MultiBuffer::Chosen())) {
    const Layout layout = LayoutFor(options, clsMD5MultiBuffer(m_Engine).Lanes());
    m_Lanes = layout.lanes;
    m_BufferBytes = layout.workers * (layout.lanes * layout.laneChunk + layout.streamChunk);
    m_Queue = std::make_unique<clsDigestQueue>(layout.workers, options.window);
    // Everything that can fail is made here, on the caller's thread; the threads only hash.
    for (unsigned i = 0; i < layout.workers; ++i) {
        m_Workers.push_back(
            std::make_unique<clsDigestWorker>(m_Engine, layout.laneChunk, layout.streamChunk, layout.lanes));
    }
    try {
        for (unsigned i = 0; i < layout.workers; ++i) {
            m_Threads.emplace_back([this, i] {
                clsDigestWorker& worker = *m_Workers[i];
                std::uint64_t batch = 0;
                while (m_Queue->WaitForBatch(batch)) {
                    // A file's failure is its own result inside Work; what escapes it still ends as the result
                    // of the jobs the worker held, so that the consumer never waits for them in vain.
                    try {
                        worker.Work(*m_Queue);
                    } catch (const std::bad_alloc&) {
                        worker.Abandon(*m_Queue, "メモリが足りません");
                    } catch (...) {
                        worker.Abandon(*m_Queue, "不明なエラー");
                    }
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

DigestResult clsDigestPool::Take(std::size_t index) {
    return m_Queue->Take(index);
}

void clsDigestPool::Cancel() {
    m_Queue->Cancel();
}

std::uint64_t clsDigestPool::BytesDone() const {
    return m_Queue->BytesDone();
}
