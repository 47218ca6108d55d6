// One worker of the digest pool: claims jobs from the queue in list order and hashes them with buffers of its
// own, sized once. MD5 files share the lanes of a multi-buffer MD5 engine, refilled as files end; every other
// kind is hashed one file at a time, or one part of a file shared with other workers.
#pragma once

#include "digest/clsDigestQueue.h"
#include "digest/clsMD5MultiBuffer.h"
#include "digest/clsStreamDigest.h"
#include "util/clsFileReader.h"

#include <cstddef>
#include <memory>
#include <vector>

class clsDigestWorker {
public:
    /// A worker hashing MD5 with `engine`, reading MD5 files in chunks of `laneChunk` bytes per lane and other
    /// files in chunks of `streamChunk` bytes. Its buffers take Lanes() * laneChunk + streamChunk bytes.
    clsDigestWorker(clsMD5MultiBuffer::Engine engine, std::size_t laneChunk, std::size_t streamChunk);
    ~clsDigestWorker();
    clsDigestWorker(const clsDigestWorker&) = delete;
    clsDigestWorker& operator=(const clsDigestWorker&) = delete;

    /// Hashes the jobs it can claim from `queue` and publishes their results, until the batch has no job left
    /// to claim or is cancelled; then every file of the worker is closed again.
    void Work(clsDigestQueue& queue);

private:
    struct Lane {
        std::size_t job = 0;
        clsFileReader reader;
        unsigned char* buffer = nullptr;
        char text[32] = {}; // the digest, until published
    };
    struct FreeBuffer {
        void operator()(unsigned char* buffer) const;
    };

    bool UsesLanes() const { return m_Lanes.size() > 1; }
    void Hash(clsDigestQueue& queue, const clsDigestQueue::Piece& piece);
    void OpenLane(clsDigestQueue& queue, const clsDigestQueue::Piece& piece);
    void FinishLanes(clsDigestQueue& queue);
    void FeedLanes(clsDigestQueue& queue);
    void CloseLane(std::size_t lane);
    void HashStream(clsDigestQueue& queue, const clsDigestQueue::Piece& piece);
    void HashPart(clsDigestQueue& queue, const clsDigestQueue::Piece& piece);
    unsigned char* StreamBuffer() const;

    clsMD5MultiBuffer m_MD5;
    std::size_t m_LaneChunk;
    std::size_t m_StreamChunk;
    std::unique_ptr<unsigned char, FreeBuffer> m_Buffer; // the lanes' chunks, then the stream's
    std::vector<Lane> m_Lanes;
    std::vector<std::size_t> m_FreeLanes;
    std::vector<clsDigestQueue::Digest> m_Finished;
    clsFileReader m_StreamReader;
    clsStreamDigest m_Stream;
};
