// The meeting point of the digest pool's readers, its hashing workers and its one consumer: the batch of jobs
// grouped by the device that holds them, which job each device's readers claim next, a window of results kept
// in list order, and the cancel flag. Thread-safe; no threads of its own.
#pragma once

#include "digest/DigestJob.h"
#include "digest/clsStreamDigest.h"
#include "util/DeviceInfo.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class clsDigestQueue {
public:
    /// At most this many parts of one file are read and hashed apart.
    static constexpr unsigned kMaxParts = 16;

    /// Work claimed by a reader: a whole job, or one part of a large job whose kind can be joined from parts
    /// (the CRCs), so that several readers share one large file on a device that does not seek. Part k of n
    /// covers bytes [k * PartLength, (k + 1) * PartLength), the last part up to the file's end.
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

    /// How the readers of one device read it: how many at once, how many files each holds open and reads a
    /// chunk at a time in turn, and the bytes of one read.
    struct ReadPlan {
        unsigned readers = 1;
        unsigned width = 1;
        std::size_t chunk = 1u << 20;
    };

    /// The jobs of one device. Readers attach to it, classify the device once, and claim its jobs in list
    /// order.
    struct Group {
        std::uint64_t device = 0;
        std::deque<std::pair<std::size_t, DigestJob>> jobs; // not yet wholly claimed
        unsigned nextPart = 0;                              // of the first job
        unsigned attached = 0;
        bool planned = false; // the plan below holds; until then one reader classifies the device
        ReadPlan plan;
    };

    /// The bytes of each part but the last of a job of `length` bytes in `parts` parts: whole mebibytes, so
    /// that every part reads in whole chunks.
    static std::uint64_t PartLength(std::uint64_t length, unsigned parts);

    /// A queue for `readers` reader threads and `workers` hashing threads, that keeps at most `window` jobs and
    /// about `windowBytes` bytes claimed ahead of the consumer.
    clsDigestQueue(unsigned readers, unsigned workers, std::size_t window, std::uint64_t windowBytes);

    // The consumer's side, one thread.

    /// Cancels what is left of the batch before, waits until every thread has put it down, then offers `jobs`
    /// (device 0 each); with `more`, the batch stays open for Add until NoMoreJobs.
    void Start(std::vector<DigestJob> jobs, bool more);

    /// Adds jobs at the end of the open batch; `devices` (as many as jobs, or empty: all 0) say which device
    /// each is on.
    void Add(std::vector<DigestJob> jobs, std::span<const std::uint64_t> devices = {});

    /// Closes the batch: the threads are done once they have read and hashed what it holds.
    void NoMoreJobs();

    /// Waits for the result of job `index` and returns it. Indexes go up from call to call; jobs passed over
    /// are dropped. Raises DigestCancelled once the batch is cancelled.
    DigestResult Take(std::size_t index);

    /// Stops the batch: readers and workers see it between chunks, Take raises DigestCancelled. Any thread.
    void Cancel();

    std::uint64_t BytesDone() const { return m_BytesDone.load(std::memory_order_relaxed); }

    // The readers' side.

    /// Waits for a batch newer than `seen` and records it there; false once the queue is shut down.
    bool WaitForBatch(std::uint64_t& seen);

    /// A group with a job to claim and room for one more reader, the one whose next job comes first in the
    /// list; the caller is attached to it. With `wait`, waits for one; nothing then means the batch is done
    /// or cancelled.
    Group* Attach(bool wait);

    /// Paths of the first jobs of `group`, for telling how its device seeks: at most `count`.
    std::vector<std::string> Samples(const Group& group, std::size_t count) const;

    /// Sets how `group` is read; readers beyond the first may attach from now on.
    void SetPlan(Group& group, const ReadPlan& plan);

    /// The next job or part of the caller's group, in list order, while it lies within the window; nothing
    /// when there is none now.
    std::optional<Piece> Claim(Group& group);

    /// The caller leaves its group.
    void Detach(Group& group);

    /// The calling reader has put the batch down; true for the last reader of the batch, which then tells the
    /// workers that no more chunks come.
    bool ReaderDone();

    // The workers' side.

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
    const std::atomic<bool>& CancelFlag() const { return m_Cancelled; }

    void AddBytes(std::uint64_t bytes) { m_BytesDone.fetch_add(bytes, std::memory_order_relaxed); }

    /// The thread has put the batch down: no more claims, nothing more published.
    void ThreadDone();

    /// Cancels and wakes every thread for good: WaitForBatch returns false from now on.
    void Shutdown();

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    // The result of job `index` (kNone: no result yet), in slot index % window.
    struct Slot {
        std::size_t index = kNone;
        std::size_t length = 0;
        std::uint64_t bytes = 0;
        std::uint64_t claimed = 0; // bytes counted against the window while the job is claimed
        char text[kMaxDigestText] = {};
        std::string failure;
    };

    // The parts of a job in flight.
    struct Split {
        std::size_t job = 0;
        unsigned partsLeft = 0;
        std::array<PartResult, kMaxParts> results{};
    };

    unsigned PartsOf(const Group& group, const DigestJob& job) const;
    bool Claimable(const Group& group) const;
    bool AnyJobLeft() const;
    void DropBefore(std::size_t index);
    void Unclaim(std::size_t index);
    void Reset();

    // Claims go no further than this.
    std::size_t ClaimLimit() const { return m_Taken + m_Slots.size(); }
    Slot* Writable(std::size_t index);

    const unsigned m_Readers;
    const unsigned m_Workers;
    const std::uint64_t m_WindowBytes;
    mutable std::mutex m_Mutex;
    std::condition_variable m_WorkChanged;   // a batch, a job, room in the window, cancel, shutdown
    std::condition_variable m_ResultChanged; // the awaited result or job, cancel
    std::condition_variable m_ThreadsIdle;   // the last thread put its batch down
    std::list<Group> m_Groups;               // stable addresses: readers hold them while attached
    std::size_t m_JobCount = 0;              // jobs in the batch so far
    std::size_t m_Unclaimed = 0;             // jobs not wholly claimed yet, in every group
    bool m_Open = false;                     // more jobs may come
    std::vector<Slot> m_Slots;
    std::uint64_t m_Batch = 0;
    std::uint64_t m_ClaimedBytes = 0; // bytes of jobs claimed and not taken
    std::vector<Split> m_Splits;      // jobs in parts that are not all in
    std::size_t m_Taken = 0;          // jobs before this one are taken or dropped
    std::size_t m_Awaited = kNone;    // the job Take waits for
    unsigned m_Busy = 0;              // threads still on the batch
    unsigned m_ReadersBusy = 0;       // readers still on the batch
    unsigned m_AttachWaiters = 0;     // readers waiting for a job or for room in the window
    bool m_Shutdown = false;
    std::atomic<bool> m_Cancelled{false};
    std::atomic<std::uint64_t> m_BytesDone{0};
};
