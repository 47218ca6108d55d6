#include "digest/clsDigestPool.h"

#include "digest/clsBlockBudget.h"
#include "digest/clsDigestQueue.h"
#include "digest/clsDigestReader.h"
#include "digest/clsDigestWorker.h"
#include "util/FileSystem.h"
#include "util/PathHelpers.h"

#include <algorithm>
#include <new>

namespace {

constexpr std::size_t kKiB = 1024;
constexpr std::size_t kMiB = 1024 * kKiB;
// Blocks of a mebibyte: a disc that seeks is read in requests this large, and a cancel is seen after at most
// one of them.
constexpr std::size_t kMaxBlock = kMiB;
constexpr std::size_t kMinBlock = 4 * kKiB;
// Devices that do not seek are read in smaller chunks from several files side by side: each MD5 lane then
// hashes a chunk while it is still in the processor's cache.
constexpr std::size_t kSideBySideChunk = 256 * kKiB;
// Readers of a device that does not seek, unless told: four readers read this machine's virtual disc cold
// 40% faster than one, more gain nothing (bench/run-cold.sh).
constexpr unsigned kSideBySideReaders = 4;
constexpr unsigned kMaxWidth = 16;
// More threads than this help no disc and no processor of today; a 32-bit process may not even make them.
constexpr unsigned kMaxThreads = 64;
// Descriptors left to the rest of the process: the window's connection, fonts, lists being read, a terminal.
constexpr std::size_t kReservedFiles = 64;

unsigned WorkerCount(unsigned asked) {
    return std::min(asked > 0 ? asked : std::max(1U, std::thread::hardware_concurrency()), kMaxThreads);
}

std::size_t PowerOfTwoAtMost(std::size_t bytes, std::size_t lowest, std::size_t highest) {
    std::size_t size = highest;
    while (size > lowest && size > bytes) {
        size /= 2;
    }
    return size;
}

clsDigestPool::Options WithWorkers(unsigned workers) {
    clsDigestPool::Options options;
    options.workers = workers;
    return options;
}

// A reader's or worker's part of a batch. A file's failure is its own result inside Work; what escapes it still
// ends as the result of the files the thread held, and of those still to come, so that the consumer never waits
// for them in vain.
template <class Part>
void WorkOnBatch(Part& part, clsDigestQueue& queue) {
    for (;;) {
        try {
            part.Work(queue);
            return;
        } catch (const std::bad_alloc&) {
            part.Abandon(queue, "メモリが足りません");
        } catch (...) {
            part.Abandon(queue, "不明なエラー");
        }
    }
}

} // namespace

// How the pool is cut: threads, blocks and read plans that keep within the open files and the memory budget.
struct clsDigestPool::Layout {
    unsigned workers = 1;
    unsigned readers = 1;   // reader threads
    unsigned perDevice = 0; // readers per device as asked; 0: by how it seeks
    std::size_t lanes = 0;  // per worker
    std::size_t files = 1;  // open files, all readers together
    std::size_t blockBytes = kMaxBlock;
    std::size_t blocks = 1;

    Layout(const Options& options, std::size_t engineLanes) {
        workers = WorkerCount(options.workers);
        lanes = engineLanes > 1 ? engineLanes : 0;
        const std::size_t limit = OpenFileLimit();
        files = options.openFiles > 0 ? options.openFiles
                                      : (limit > 2 * kReservedFiles ? limit - kReservedFiles : limit / 2);
        files = std::max<std::size_t>(files, 1);
        perDevice = std::min(options.readers, kMaxThreads);
        readers = static_cast<unsigned>(std::min<std::size_t>(std::max(perDevice, kSideBySideReaders), files));
        blockBytes = PowerOfTwoAtMost(options.memory / 16, kMinBlock, kMaxBlock);
        blocks = std::max<std::size_t>(options.memory / blockBytes, 2);
    }

    // A device that seeks (or may: one the system does not describe) is read one file at a time, front to
    // back, in whole blocks; one that does not by several readers, each a few files side by side, enough
    // for every MD5 lane of the workers.
    clsDigestQueue::ReadPlan PlanFor(DeviceSeeks seeks) const {
        clsDigestQueue::ReadPlan plan;
        const bool sideBySide = seeks == DeviceSeeks::No;
        plan.readers = std::min(perDevice > 0 ? perDevice : (sideBySide ? kSideBySideReaders : 1U), readers);
        plan.readers = std::max(plan.readers, 1U);
        plan.width = 1;
        if (sideBySide && lanes > 0) {
            const std::size_t wanted =
                (workers * lanes * clsDigestWorker::kFilesPerLane + plan.readers - 1) / plan.readers;
            plan.width = static_cast<unsigned>(std::clamp<std::size_t>(wanted, 1, kMaxWidth));
        }
        plan.width = static_cast<unsigned>(std::clamp<std::size_t>(files / readers, 1, plan.width));
        plan.chunk = std::min(sideBySide ? kSideBySideChunk : kMaxBlock, blockBytes);
        return plan;
    }

    std::size_t MostOpenFiles() const {
        return std::min<std::size_t>(readers * PlanFor(DeviceSeeks::No).width, std::max<std::size_t>(files, readers));
    }
};

clsDigestPool::clsDigestPool(unsigned workers) : clsDigestPool(WithWorkers(workers)) {}

clsDigestPool::clsDigestPool(const Options& options) : m_Engine(options.engine.value_or(clsMD5MultiBuffer::Chosen())) {
    const Layout layout(options, clsMD5MultiBuffer(m_Engine).Lanes());
    m_Lanes = layout.lanes;
    m_BufferBytes = layout.blocks * layout.blockBytes;
    m_OpenFiles = layout.MostOpenFiles();
    m_Budget = std::make_unique<clsBlockBudget>(layout.blockBytes, layout.blocks);
    m_Queue = std::make_unique<clsDigestQueue>(layout.readers, layout.workers, options.window, options.windowBytes);
    // Everything that can fail is made here, on the caller's thread; the threads only read and hash.
    std::vector<clsDigestWorker*> workers;
    for (unsigned i = 0; i < layout.workers; ++i) {
        m_Workers.push_back(std::make_unique<clsDigestWorker>(m_Engine, *m_Budget));
        workers.push_back(m_Workers.back().get());
    }
    const auto seeks = options.seeks;
    clsDigestReader::Planner planner = [layout, seeks](std::uint64_t device, std::span<const std::string> samples) {
        return layout.PlanFor(seeks ? seeks(device) : SeeksOf(device, samples));
    };
    for (unsigned i = 0; i < layout.readers; ++i) {
        m_Readers.push_back(std::make_unique<clsDigestReader>(*m_Budget, workers, m_Turn, planner));
    }
    try {
        for (unsigned i = 0; i < layout.workers; ++i) {
            m_WorkerThreads.emplace_back([this, i] {
                std::uint64_t batch = 0;
                while (m_Queue->WaitForBatch(batch)) {
                    WorkOnBatch(*m_Workers[i], *m_Queue);
                    m_Queue->ThreadDone();
                }
            });
        }
        for (unsigned i = 0; i < layout.readers; ++i) {
            m_ReaderThreads.emplace_back([this, i] {
                std::uint64_t batch = 0;
                while (m_Queue->WaitForBatch(batch)) {
                    WorkOnBatch(*m_Readers[i], *m_Queue);
                    if (m_Queue->ReaderDone()) {
                        for (const std::unique_ptr<clsDigestWorker>& worker : m_Workers) {
                            worker->EndOfBatch();
                        }
                    }
                    m_Queue->ThreadDone();
                }
            });
        }
    } catch (...) {
        m_Queue->Shutdown();
        for (std::thread& thread : m_ReaderThreads) {
            thread.join();
        }
        for (const std::unique_ptr<clsDigestWorker>& worker : m_Workers) {
            worker->EndOfBatch();
        }
        for (std::thread& thread : m_WorkerThreads) {
            thread.join();
        }
        throw;
    }
}

clsDigestPool::~clsDigestPool() {
    m_Queue->Shutdown();
    m_Budget->Interrupt();
    for (const std::unique_ptr<clsDigestWorker>& worker : m_Workers) {
        worker->Interrupt();
    }
    for (std::thread& thread : m_ReaderThreads) {
        thread.join();
    }
    // A reader that had not taken up the batch yet when the pool shut down does not end it for the workers.
    for (const std::unique_ptr<clsDigestWorker>& worker : m_Workers) {
        worker->EndOfBatch();
    }
    for (std::thread& thread : m_WorkerThreads) {
        thread.join();
    }
}

void clsDigestPool::Start(std::vector<DigestJob> jobs, bool more) {
    Cancel(); // what is left of the batch before: its threads must see it wherever they wait
    m_Queue->Start({}, true);
    m_FolderDevices.clear();
    Add(std::move(jobs));
    if (!more) {
        NoMoreJobs();
    }
}

void clsDigestPool::Add(std::vector<DigestJob> jobs) {
    std::vector<std::uint64_t> devices;
    devices.reserve(jobs.size());
    for (const DigestJob& job : jobs) {
        devices.push_back(DeviceOfJob(job));
    }
    m_Queue->Add(std::move(jobs), devices);
}

// The device of a job's folder stands for the file's: one look-up per folder, on the consumer's thread, and
// the file itself is first touched by its reader.
std::uint64_t clsDigestPool::DeviceOfJob(const DigestJob& job) {
    std::string folder = GetParentFolder(job.path);
    const auto found = m_FolderDevices.find(folder);
    if (found != m_FolderDevices.end()) {
        return found->second;
    }
    const std::uint64_t device = DeviceOf(folder.empty() ? std::string(".") : folder).value_or(0);
    m_FolderDevices.emplace(std::move(folder), device);
    return device;
}

void clsDigestPool::NoMoreJobs() {
    m_Queue->NoMoreJobs();
}

DigestResult clsDigestPool::Take(std::size_t index) {
    return m_Queue->Take(index);
}

void clsDigestPool::Cancel() {
    m_Queue->Cancel();
    m_Budget->Interrupt();
    for (const std::unique_ptr<clsDigestWorker>& worker : m_Workers) {
        worker->Interrupt();
    }
}

std::uint64_t clsDigestPool::BytesDone() const {
    return m_Queue->BytesDone();
}
