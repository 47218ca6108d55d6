// Digests of many files at once: reader threads read the files of a batch, grouped by the device that holds
// them, and hashing workers hash what they read, ahead of one consumer that takes the results in list order.
// A device that seeks is read by one reader, one whole file after another; one that does not by several side
// by side; devices are read in parallel. MD5 files share the lanes of the multi-buffer MD5 engine, a large
// CRC file on a device read side by side is shared by several readers. Buffers stay within one memory budget
// and open files within the process's limit, whatever the number of workers asked for.
//
// Start, Add, NoMoreJobs and Take belong to one consumer thread; Cancel and BytesDone to any thread.
#pragma once

#include "digest/DigestJob.h"
#include "digest/clsMD5MultiBuffer.h"
#include "util/DeviceInfo.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

class clsBlockBudget;
class clsDigestQueue;
class clsDigestReader;
class clsDigestWorker;

class clsDigestPool {
public:
    struct Options {
        unsigned workers = 0;                               // hashing threads; 0: one per processor the system reports
        unsigned readers = 0;                               // readers per device; 0: chosen by how it seeks
        std::size_t window = 4096;                          // jobs read at most ahead of the last one taken
        std::uint64_t windowBytes = std::uint64_t{2} << 30; // bytes of jobs read ahead of it, about
        std::size_t memory = 64u << 20;                     // read buffers, all together, at most
        std::size_t openFiles = 0;                          // files open at once, at most; 0: from OpenFileLimit()
        std::optional<clsMD5MultiBuffer::Engine> engine;    // nothing: clsMD5MultiBuffer::Chosen()
        /// How a device seeks, in place of asking the system (tests); empty: SeeksOf.
        std::function<DeviceSeeks(std::uint64_t device)> seeks;
    };

    /// A pool of `workers` hashing threads (0: one per processor), idle until Start. Never more than 64.
    explicit clsDigestPool(unsigned workers = 0);
    explicit clsDigestPool(const Options& options);
    /// Cancels the batch and waits for the threads to end.
    ~clsDigestPool();
    clsDigestPool(const clsDigestPool&) = delete;
    clsDigestPool& operator=(const clsDigestPool&) = delete;

    /// Starts hashing `jobs` (kinds DigestKind::CRC16 to DigestKind::SHA512; another kind raises error 5 and
    /// starts nothing). What is left of the batch before is cancelled first and its results dropped. With
    /// `more`, the batch stays open: Add appends jobs, numbered on from jobs.size(), while the threads already
    /// work on the first ones, until NoMoreJobs.
    void Start(std::vector<DigestJob> jobs, bool more = false);

    /// Appends jobs to the open batch. Each call wakes the readers that wait for jobs: a few dozen jobs at a
    /// time cost less than one by one. Raises error 5 for a kind out of range (adding none) or a batch not open.
    void Add(std::vector<DigestJob> jobs);

    /// Closes the open batch: no job is added any more.
    void NoMoreJobs();

    /// Waits for job `index` (in an open batch, also for its Add) and returns its digest in the text form of
    /// FileCRC16, FileCRC32, FileMD5 and FileSHA with the bytes it was taken over, or why the file could not be
    /// read to its end: a file that fails is that job's result, never an error of the batch. Indexes go up
    /// from call to call; jobs passed over are dropped. Once the batch is cancelled, raises DigestCancelled at
    /// once, even while a large file is being read. Raises error 5 for an index out of the batch or taken
    /// before.
    DigestResult Take(std::size_t index);

    /// Cancels the batch from any thread: every thread stops within a chunk it reads, and Take raises
    /// DigestCancelled until the next Start.
    void Cancel();

    /// Bytes read for digests in this batch so far, also of jobs not taken yet.
    std::uint64_t BytesDone() const;

    /// The number of hashing threads.
    unsigned Workers() const { return static_cast<unsigned>(m_WorkerThreads.size()); }

    /// The number of reader threads, of all devices together.
    unsigned Readers() const { return static_cast<unsigned>(m_ReaderThreads.size()); }

    /// The multi-buffer MD5 engine the workers use.
    clsMD5MultiBuffer::Engine Engine() const { return m_Engine; }

    /// MD5 lanes of each worker (fewer than 2: MD5 files are hashed one at a time).
    std::size_t LanesPerWorker() const { return m_Lanes; }

    /// Bytes of read buffers, all together.
    std::size_t BufferBytes() const { return m_BufferBytes; }

    /// Files the readers hold open at once, at most.
    std::size_t OpenFilesAtMost() const { return m_OpenFiles; }

private:
    struct Layout;

    std::uint64_t DeviceOfJob(const DigestJob& job);

    clsMD5MultiBuffer::Engine m_Engine;
    std::size_t m_Lanes = 0;
    std::size_t m_BufferBytes = 0;
    std::size_t m_OpenFiles = 0;
    std::unique_ptr<clsBlockBudget> m_Budget;
    std::unique_ptr<clsDigestQueue> m_Queue;
    std::vector<std::unique_ptr<clsDigestWorker>> m_Workers;
    std::vector<std::unique_ptr<clsDigestReader>> m_Readers;
    std::vector<std::thread> m_WorkerThreads;
    std::vector<std::thread> m_ReaderThreads;
    std::unordered_map<std::string, std::uint64_t> m_FolderDevices; // of the batch's folders, looked up once
    std::atomic<std::size_t> m_Turn{0};                             // the readers' turns at choosing a worker
};
