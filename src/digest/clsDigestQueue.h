// The meeting point of the digest pool's workers and its one consumer: the batch of jobs, which job is claimed
// next, a window of results kept in list order, and the cancel flag. Thread-safe; no threads of its own.
#pragma once

#include "digest/DigestJob.h"
#include "digest/clsStreamDigest.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class clsDigestQueue {
public:
    /// At most this many parts of one file are hashed apart.
    static constexpr unsigned kMaxParts = 16;

    /// Work claimed by a worker: a whole job, or one part of a large job whose kind can be joined from parts
    /// (the CRCs), so that the workers share one large file. Part k of n covers bytes [k * PartLength,
    /// (k + 1) * PartLength), the last part up to the file's end.
    struct Piece {
        std::size_t job = 0;
        DigestJob file; // a copy: the queue forgets a job once every part of it is claimed
        unsigned part = 0;
        unsigned parts = 1;
    };

    /// What hashing one part gave: a CRC of the part's bytes alone and their number, or why it failed.
    struct PartResult {
        std::uint32_t crc = 0;
        std::uint64_t bytes = 0;
        std::string failure; // "" when the part was read to its end
    };

    /// The bytes of each part but the last of a job of `length` bytes in `parts` parts: whole mebibytes, so
    /// that every part reads in whole chunks.
    static std::uint64_t PartLength(std::uint64_t length, unsigned parts);

    /// A queue for `workers` workers that keeps at most `window` jobs claimed ahead of the consumer.
    clsDigestQueue(unsigned workers, std::size_t window);

    // The consumer's side, one thread.

    /// Cancels what is left of the batch before, waits until every worker has put it down, then offers `jobs`;
    /// with `more`, the batch stays open for Add until NoMoreJobs.
    void Start(std::vector<DigestJob> jobs, bool more);

    /// Adds jobs at the end of the open batch.
    void Add(std::vector<DigestJob> jobs);

    /// Closes the batch: the workers are done once they have hashed what it holds.
    void NoMoreJobs();

    /// Waits for the result of job `index` and returns it. Indexes go up from call to call; jobs passed over
    /// are dropped. Raises DigestCancelled once the batch is cancelled.
    DigestResult Take(std::size_t index);

    /// Stops the batch: workers see it between blocks, Take raises DigestCancelled. Any thread.
    void Cancel();

    std::uint64_t BytesDone() const { return m_BytesDone.load(std::memory_order_relaxed); }

    // The workers' side.

    /// Waits for a batch newer than `seen` and records it there; false once the queue is shut down.
    bool WaitForBatch(std::uint64_t& seen);

    /// The next job or part to work on, in list order, while the job lies within the window ahead of the
    /// consumer. With `wait`, waits until one does; nothing then means the batch is done or cancelled.
    /// Without, nothing may also mean that the window is full for now.
    std::optional<Piece> Claim(bool wait);

    /// A job's digest text and the bytes it was taken over.
    struct Digest {
        std::size_t job = 0;
        std::string_view text;
        std::uint64_t bytes = 0;
    };

    /// Gives job `index` its digest text.
    void Publish(std::size_t index, std::string_view text, std::uint64_t bytes) {
        const Digest digest{index, text, bytes};
        Publish(std::span(&digest, 1));
    }

    /// Gives several jobs their digest texts at once: the consumer is woken at most once for them.
    void Publish(std::span<const Digest> digests);

    /// Gives job `index` the reason it could not be digested, after `bytes` bytes.
    void Fail(std::size_t index, const std::string& failure, std::uint64_t bytes = 0);

    /// Records what part `piece` gave. Once every part of its job is in, returns them all, in order, to the
    /// caller, which then publishes the job's result; else nothing.
    std::optional<std::array<PartResult, kMaxParts>> PartDone(const Piece& piece, const PartResult& result);

    bool Cancelled() const { return m_Cancelled.load(std::memory_order_relaxed); }

    void AddBytes(std::uint64_t bytes) { m_BytesDone.fetch_add(bytes, std::memory_order_relaxed); }

    /// The worker has put the batch down: no more claims, nothing more published.
    void WorkerDone();

    /// Cancels and wakes every worker for good: WaitForBatch returns false from now on.
    void Shutdown();

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    // The result of job `index` (kNone: no result yet), in slot index % window.
    struct Slot {
        std::size_t index = kNone;
        std::size_t length = 0;
        std::uint64_t bytes = 0;
        char text[kMaxDigestText] = {};
        std::string failure;
    };

    // The parts of a job in flight.
    struct Split {
        std::size_t job = 0;
        unsigned partsLeft = 0;
        std::array<PartResult, kMaxParts> results{};
    };

    unsigned PartsOf(const DigestJob& job) const;

    // Claims go no further than this.
    std::size_t ClaimLimit() const { return m_Taken + m_Slots.size(); }
    Slot* Writable(std::size_t index);

    const unsigned m_Workers;
    mutable std::mutex m_Mutex;
    std::condition_variable m_WorkChanged;   // a batch, a job, room in the window, cancel, shutdown
    std::condition_variable m_ResultChanged; // the awaited result or job, cancel
    std::condition_variable m_WorkersIdle;   // the last worker put its batch down
    // as the consumer keeps it, however long the batch.
    std::deque<DigestJob> m_Jobs;
    std::size_t m_JobCount = 0; // jobs in the batch so far
    bool m_Open = false;        // more jobs may come
    std::vector<Slot> m_Slots;
    std::uint64_t m_Batch = 0;
    std::size_t m_Next = 0;        // the next job to claim
    unsigned m_NextPart = 0;       // the next part of it
    std::vector<Split> m_Splits;   // jobs in parts that are not all in
    std::size_t m_Taken = 0;       // jobs before this one are taken or dropped
    std::size_t m_Awaited = kNone; // the job Take waits for
    unsigned m_Busy = 0;           // workers still on the batch
    unsigned m_ClaimWaiters = 0;   // workers waiting for a job or for room in the window
    bool m_Shutdown = false;
    std::atomic<bool> m_Cancelled{false};
    std::atomic<std::uint64_t> m_BytesDone{0};
};
