// One worker of the digest pool: claims jobs from the queue in list order and hashes them with buffers of its
// own, sized once. MD5 files share the lanes of a multi-buffer MD5 engine, refilled as files end; every other
// kind is hashed one file (or one part of a file shared with other workers) at a time, a chunk per pass
// between the passes over the lanes, so that neither waits for the other to finish.
#pragma once

#include "digest/clsDigestQueue.h"
#include "digest/clsMD5MultiBuffer.h"
#include "digest/clsStreamDigest.h"
#include "util/clsFileReader.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class clsDigestWorker {
public:
    /// A worker hashing MD5 with `engine` in at most `lanes` lanes (fewer than 2: one file at a time), reading
    /// MD5 files in chunks of `laneChunk` bytes per lane and other files in chunks of `streamChunk` bytes. It
    /// holds at most lanes + 1 files open, and its buffers take lanes * laneChunk + streamChunk bytes.
    clsDigestWorker(clsMD5MultiBuffer::Engine engine, std::size_t laneChunk, std::size_t streamChunk,
                    std::size_t lanes);
    ~clsDigestWorker();
    clsDigestWorker(const clsDigestWorker&) = delete;
    clsDigestWorker& operator=(const clsDigestWorker&) = delete;

    /// Hashes the jobs it can claim from `queue` and publishes their results, until the batch has no job left
    /// to claim or is cancelled; then every file of the worker is closed again. A file that fails, whatever
    /// the cause, is that file's result; the others go on.
    void Work(clsDigestQueue& queue);

    /// Gives every job the worker holds the result `failure` and closes its files: the last resort when an
    /// error escaped Work.
    void Abandon(clsDigestQueue& queue, const std::string& failure);

private:
    struct Lane {
        std::size_t job = 0;
        clsFileReader reader;
        unsigned char* buffer = nullptr;
        std::uint64_t bytes = 0;
        char text[32] = {}; // the digest, until published
    };
    struct FreeBuffer {
        void operator()(unsigned char* buffer) const;
    };
    // The one file (or part) being hashed outside the lanes.
    struct Stream {
        std::optional<clsDigestQueue::Piece> piece;
        std::uint64_t left = 0; // bytes still to read of a part
        clsDigestQueue::PartResult result;
    };
    enum class Opened { Yes, Later, Failed };

    bool UsesLanes() const { return m_LaneCount > 1; }
    bool HoldsFiles() const;
    void Begin(clsDigestQueue& queue, const clsDigestQueue::Piece& piece);
    Opened OpenFile(clsDigestQueue& queue, clsFileReader& reader, const clsDigestQueue::Piece& piece);
    void OpenLane(clsDigestQueue& queue, const clsDigestQueue::Piece& piece);
    void FinishLanes(clsDigestQueue& queue);
    void FeedLanes(clsDigestQueue& queue);
    void CloseLane(std::size_t lane);
    void StartStream(clsDigestQueue& queue, const clsDigestQueue::Piece& piece);
    void StepStream(clsDigestQueue& queue);
    void FinishStream(clsDigestQueue& queue, const std::string& failure);
    void FinishPart(clsDigestQueue& queue, const clsDigestQueue::Piece& piece,
                    const clsDigestQueue::PartResult& result);
    void FailPiece(clsDigestQueue& queue, const clsDigestQueue::Piece& piece, const std::string& failure,
                   std::uint64_t bytes);
    void DropAll();
    unsigned char* StreamBuffer() const;

    clsMD5MultiBuffer m_MD5;
    std::size_t m_LaneCount;
    std::size_t m_LaneChunk;
    std::size_t m_StreamChunk;
    std::unique_ptr<unsigned char, FreeBuffer> m_Buffer; // the lanes' chunks, then the stream's
    std::vector<Lane> m_Lanes;
    std::vector<std::size_t> m_FreeLanes;
    std::vector<clsDigestQueue::Digest> m_Finished;
    std::optional<clsDigestQueue::Piece> m_Deferred; // claimed, waiting for a file of this worker to close
    Stream m_Stream;
    clsFileReader m_StreamReader;
    clsStreamDigest m_Digest;
};
