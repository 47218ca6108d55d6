// One hashing worker of the digest pool: takes the chunks the readers read, in the order each file was read,
// and hashes them. MD5 files share the lanes of a multi-buffer MD5 engine, each lane hashing the chunks of
// one file in place; every other kind is hashed as its chunks arrive. A chunk's block goes back to the
// budget as soon as it is hashed. Results are published to the queue.
#pragma once

#include "digest/DigestKind.h"

#include "digest/clsBlockBudget.h"
#include "digest/clsDigestQueue.h"
#include "digest/clsMD5MultiBuffer.h"
#include "digest/clsStreamDigest.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

/// A run of bytes of one file (or one part of it), in a block of the budget.
struct DigestChunk {
    std::size_t job = 0;
    unsigned part = 0;
    unsigned parts = 1;
    DigestKind kind = DigestKind::None;
    clsBlockBudget::Block* block = nullptr; // one reference held by the chunk; null when it holds no bytes
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    bool last = false;   // the file (or part) ends with this chunk
    std::string failure; // with `last`: why the file could not be read to its end

    /// A chunk of no bytes yet of the file or part `piece`.
    static DigestChunk Of(const clsDigestQueue::Piece& piece) {
        DigestChunk chunk;
        chunk.job = piece.job;
        chunk.part = piece.part;
        chunk.parts = piece.parts;
        chunk.kind = piece.file.kind;
        return chunk;
    }
};

class clsDigestWorker {
public:
    /// MD5 files a worker takes per lane: while some wait for their next chunk, others have theirs, and they
    /// take turns in the lanes.
    static constexpr std::size_t kFilesPerLane = 2;

    /// A worker hashing MD5 with `engine` in all its lanes (fewer than 2: one file at a time, like the others).
    clsDigestWorker(clsMD5MultiBuffer::Engine engine, clsBlockBudget& budget);
    ~clsDigestWorker();
    clsDigestWorker(const clsDigestWorker&) = delete;
    clsDigestWorker& operator=(const clsDigestWorker&) = delete;

    /// MD5 lanes of the worker (0: MD5 files are hashed like the others).
    std::size_t Lanes() const { return m_UsesLanes ? m_MD5.Lanes() : 0; }

    /// Reserves room for a new MD5 file, a few per lane; false when the worker has all it takes. Any thread.
    bool ReserveLane();

    /// Files the worker is hashing or has been given; readers give new files to the least busy worker.
    unsigned Load() const { return m_Load.load(std::memory_order_relaxed); }
    void AddLoad() { m_Load.fetch_add(1, std::memory_order_relaxed); }

    /// Hands chunks over, in the order they were read; any thread.
    void Post(std::vector<DigestChunk>& chunks);

    /// No more chunks come in this batch; any thread.
    void EndOfBatch();

    /// Wakes the worker to see a cancel; any thread.
    void Interrupt();

    /// Hashes what it is given until the end of the batch, publishing results; on a cancel it drops what it
    /// holds and what still comes. Every block it held is given back when it returns.
    void Work(clsDigestQueue& queue);

    /// Gives every file the worker holds the result `failure` and gives back its blocks: the last resort when
    /// an error escaped Work.
    void Abandon(clsDigestQueue& queue, const std::string& failure);

private:
    // A file (or part) being hashed: its chunks wait here while its lane hashes the one before.
    struct Stream {
        DigestKind kind = DigestKind::None;
        unsigned part = 0;
        unsigned parts = 1;
        std::size_t lane = kNoLane;
        bool md5 = false;                                // hashed in the lanes
        std::optional<clsMD5MultiBuffer::Parked> parked; // out of a lane, waiting for its next chunk
        std::uint64_t bytes = 0;
        std::uint32_t crc = 0; // of a part
        std::unique_ptr<clsStreamDigest> digest;
        std::deque<DigestChunk> waiting;
        std::string failure; // the first failure; the file's later chunks are only given back
        bool ended = false;  // its last chunk is in
    };
    struct Lane {
        std::uint64_t key = 0;
        DigestChunk held;          // the chunk the lane hashes in place
        std::size_t submitted = 0; // bytes of it handed to the lane so far
        bool holding = false;
    };
    static constexpr std::size_t kNoLane = static_cast<std::size_t>(-1);

    static std::uint64_t KeyOf(std::size_t job, unsigned part) {
        return std::uint64_t{job} * clsDigestQueue::kMaxParts + part;
    }
    static std::size_t JobOf(std::uint64_t key) { return static_cast<std::size_t>(key / clsDigestQueue::kMaxParts); }
    bool TakeInbox(std::vector<DigestChunk>& chunks, bool wait, const clsDigestQueue& queue);
    void Receive(clsDigestQueue& queue, DigestChunk& chunk);
    void HashNow(clsDigestQueue& queue, std::uint64_t key, Stream& stream, DigestChunk& chunk);
    void FeedLanes(clsDigestQueue& queue);
    void FeedLane(clsDigestQueue& queue, std::size_t lane);
    std::size_t LaneFor();
    void FinishLane(clsDigestQueue& queue, std::size_t lane, Stream& stream);
    void SubmitSlice(std::size_t lane, Lane& state, Stream& stream);
    std::size_t BusyLanes() const;
    std::size_t DryLanes() const;
    void Finish(clsDigestQueue& queue, std::uint64_t key, Stream& stream, const std::string& failure);
    void FinishPart(clsDigestQueue& queue, const clsDigestQueue::Piece& piece,
                    const clsDigestQueue::PartResult& result);
    void FreeLane(std::size_t lane);
    void Give(DigestChunk& chunk);
    bool InLane(DigestKind kind, unsigned parts) const;
    /// A file's last chunk has been dealt with: it no longer counts to the worker's load or lanes.
    void StreamEnded(DigestKind kind, unsigned parts);
    void Discard(clsDigestQueue& queue, DigestChunk& chunk);
    void DropAll();

    clsBlockBudget& m_Budget;
    clsMD5MultiBuffer m_MD5;
    const bool m_UsesLanes;
    std::vector<Lane> m_Lanes;
    std::vector<std::size_t> m_FreeLanes;
    std::atomic<std::size_t> m_LanesReserved{0};
    std::atomic<unsigned> m_Load{0};
    std::unordered_map<std::uint64_t, Stream> m_Streams;
    std::deque<std::uint64_t> m_Ready; // MD5 files without a lane whose chunks wait
    std::vector<clsDigestQueue::Digest> m_Finished;
    std::deque<std::array<char, 32>> m_Texts; // their digests, until published; a deque keeps them in place
    std::vector<DigestChunk> m_Taken;         // the inbox's chunks being worked through

    std::mutex m_InboxMutex;
    std::condition_variable m_InboxChanged;
    std::vector<DigestChunk> m_Inbox;
    bool m_Ended = false;
    std::string m_Broken; // after an escaped error: the result of every file still to end in this batch
};
