// One reader of the digest pool: attaches to the jobs of one device at a time and reads whole files front to
// back in list order, into blocks of the budget, handing each chunk to a hashing worker. On a device that
// seeks it holds one file at a time; on one that does not, a few, read a chunk each in turn, so that the MD5
// lanes have files enough side by side.
#pragma once

#include "digest/clsBlockBudget.h"
#include "digest/clsDigestQueue.h"
#include "digest/clsDigestWorker.h"
#include "util/clsFileReader.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

class clsDigestReader {
public:
    /// Tells how a device's readers read it, from its number and the paths of a few files on it.
    using Planner = std::function<clsDigestQueue::ReadPlan(std::uint64_t device, std::span<const std::string> samples)>;

    /// A reader handing chunks to `workers`; `turn` is shared by all readers of the pool.
    clsDigestReader(clsBlockBudget& budget, std::span<clsDigestWorker* const> workers, std::atomic<std::size_t>& turn,
                    Planner planner);
    ~clsDigestReader();
    clsDigestReader(const clsDigestReader&) = delete;
    clsDigestReader& operator=(const clsDigestReader&) = delete;

    /// Reads the jobs it can claim from `queue` until the batch has none left or is cancelled. A file that
    /// cannot be read, whatever the cause, ends with that failure in its last chunk; the others go on.
    void Work(clsDigestQueue& queue);

    /// Ends every file the reader holds with `failure` and hands over what it has read: the last resort when
    /// an error escaped Work.
    void Abandon(clsDigestQueue& queue, const std::string& failure);

private:
    struct File {
        clsDigestQueue::Piece piece;
        std::unique_ptr<clsFileReader> reader;
        std::size_t worker = 0;
        std::uint64_t left = 0; // bytes still to read of a part
        std::uint64_t read = 0;
    };
    struct Deferred {
        clsDigestQueue::Piece piece;
        std::size_t worker = kNoWorker; // with a lane reserved for an MD5 file
    };
    enum class Opened { Yes, Later, Failed };
    static constexpr std::size_t kNoWorker = static_cast<std::size_t>(-1);

    void ReadGroup(clsDigestQueue& queue, clsDigestQueue::Group& group);
    Opened Open(clsDigestQueue& queue, Deferred& next);
    bool ChooseWorker(Deferred& next);
    bool ReadChunk(clsDigestQueue& queue, File& file, std::size_t chunk);
    bool Room(clsDigestQueue& queue, std::size_t bytes);
    void Hand(DigestChunk chunk);
    void End(const clsDigestQueue::Piece& piece, std::size_t worker, const std::string& failure);
    void FlushAll();
    void CloseAll();

    clsBlockBudget& m_Budget;
    std::vector<clsDigestWorker*> m_Workers;
    std::atomic<std::size_t>& m_Turn; // which worker a reader's choice starts from
    Planner m_Planner;
    std::vector<File> m_Files;
    std::optional<Deferred> m_Deferred; // claimed, waiting for a descriptor or an MD5 lane
    int m_DeferredError = 0;            // why it waits for a descriptor
    std::vector<std::unique_ptr<clsFileReader>> m_SpareReaders;
    clsBlockBudget::Block* m_Block = nullptr;       // the block being filled, with the reader's own reference
    std::size_t m_Used = 0;                         // bytes of it handed out
    std::vector<std::vector<DigestChunk>> m_Outbox; // per worker, not posted yet
    std::size_t m_Pending = 0;
    std::vector<std::pair<unsigned, std::size_t>> m_Order; // workers by load, when choosing one
};
