#include "digest/clsDigestReader.h"

#include "digest/DigestFailure.h"
#include "util/FileSystem.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <thread>

namespace {

// A reader that holds no file of its own and finds the process out of descriptors waits for others to close
// theirs, this long at most, before the file counts as unreadable.
constexpr int kOpenAttempts = 200;
constexpr auto kOpenPause = std::chrono::milliseconds(10);
// A reader waiting for an MD5 lane looks again this often: lanes free up as other readers' files end.
constexpr auto kLanePause = std::chrono::milliseconds(1);
// Chunks are handed over in batches, one lock per batch: small files by the dozen, large chunks at once.
constexpr std::size_t kBatchChunks = 32;
constexpr std::size_t kLargeChunk = 64 * 1024;
constexpr std::size_t kChunkAlignment = 64;

bool UsesLane(const clsDigestQueue::Piece& piece, const clsDigestWorker& worker) {
    return piece.parts == 1 && piece.file.kind == DigestKind::MD5 && worker.Lanes() > 0;
}

} // namespace

clsDigestReader::clsDigestReader(clsBlockBudget& budget, std::span<clsDigestWorker* const> workers,
                                 std::atomic<std::size_t>& turn, Planner planner)
    : m_Budget(budget), m_Workers(workers.begin(), workers.end()), m_Turn(turn), m_Planner(std::move(planner)),
      m_Outbox(m_Workers.size()) {}

clsDigestReader::~clsDigestReader() {
    CloseAll();
    for (std::vector<DigestChunk>& outbox : m_Outbox) {
        for (DigestChunk& chunk : outbox) {
            m_Budget.Release(chunk.block);
        }
    }
    m_Budget.Release(m_Block);
}

void clsDigestReader::Work(clsDigestQueue& queue) {
    for (;;) {
        clsDigestQueue::Group* group = queue.Attach(false);
        if (group == nullptr) {
            // Nothing to read now: what was read goes to the workers before the reader waits.
            FlushAll();
            group = queue.Attach(true);
            if (group == nullptr) {
                break;
            }
        }
        struct Detach {
            clsDigestQueue& queue;
            clsDigestQueue::Group& group;
            ~Detach() { queue.Detach(group); }
        } detach{queue, *group};
        if (!group->planned) {
            const std::vector<std::string> samples = queue.Samples(*group, 8);
            queue.SetPlan(*group, m_Planner(group->device, samples));
        }
        ReadGroup(queue, *group);
    }
    CloseAll();
    FlushAll();
    m_Budget.Release(m_Block);
    m_Block = nullptr;
}

void clsDigestReader::Abandon(clsDigestQueue& queue, const std::string& failure) {
    static_cast<void>(queue);
    for (File& file : m_Files) {
        End(file.piece, file.worker, failure);
    }
    if (m_Deferred) {
        End(m_Deferred->piece, m_Deferred->worker == kNoWorker ? 0 : m_Deferred->worker, failure);
        m_Deferred.reset();
    }
    CloseAll();
    FlushAll();
    m_Budget.Release(m_Block);
    m_Block = nullptr;
}

// Files of the group are claimed up to the plan's width and read a chunk each in turn until the group has no
// job to give now.
void clsDigestReader::ReadGroup(clsDigestQueue& queue, clsDigestQueue::Group& group) {
    const clsDigestQueue::ReadPlan plan = group.plan;
    int attempts = 0;
    for (;;) {
        if (queue.Cancelled()) {
            CloseAll();
            m_Deferred.reset();
            return;
        }
        if (m_Deferred) {
            Deferred next = std::move(*m_Deferred);
            m_Deferred.reset();
            const Opened opened = Open(queue, next);
            if (opened == Opened::Later && m_Files.empty()) {
                // Holding nothing, the reader can only wait for other readers' files to end.
                FlushAll();
                const bool descriptors = next.worker != kNoWorker || !UsesLane(next.piece, *m_Workers[0]);
                if (descriptors && ++attempts >= kOpenAttempts) {
                    End(next.piece, next.worker == kNoWorker ? 0 : next.worker, ReadFailure(m_DeferredError));
                    m_Deferred.reset();
                    attempts = 0;
                    continue;
                }
                std::this_thread::sleep_for(descriptors ? kOpenPause : kLanePause);
                continue;
            }
            attempts = 0;
        }
        while (!m_Deferred && m_Files.size() < plan.width) {
            std::optional<clsDigestQueue::Piece> piece = queue.Claim(group);
            if (!piece) {
                break;
            }
            Deferred next{std::move(*piece), kNoWorker};
            Open(queue, next);
        }
        if (m_Files.empty()) {
            if (m_Deferred) {
                continue;
            }
            return;
        }
        for (std::size_t i = 0; i < m_Files.size();) {
            if (queue.Cancelled()) {
                break;
            }
            if (ReadChunk(queue, m_Files[i], plan.chunk)) {
                ++i;
                continue;
            }
            // The file has ended: its reader is kept for the next file.
            m_Files[i].reader->Close();
            m_SpareReaders.push_back(std::move(m_Files[i].reader));
            m_Files.erase(m_Files.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

// The worker for a new file: an MD5 file needs a lane of its own, reserved now; any other goes to the least
// busy worker.
bool clsDigestReader::ChooseWorker(Deferred& next) {
    if (next.worker != kNoWorker) {
        return true;
    }
    // Loads change under the reader's feet: they are read once, and ties go round the workers, taking turns
    // with the other readers, which may be choosing at the same moment.
    const std::size_t count = m_Workers.size();
    const std::size_t first = m_Turn.fetch_add(1, std::memory_order_relaxed);
    m_Order.clear();
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t index = (first + i) % count;
        m_Order.emplace_back(m_Workers[index]->Load(), index);
    }
    std::stable_sort(m_Order.begin(), m_Order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [load, index] : m_Order) {
        if (!UsesLane(next.piece, *m_Workers[index]) || m_Workers[index]->ReserveLane()) {
            next.worker = index;
            m_Workers[index]->AddLoad();
            return true;
        }
    }
    return false;
}

clsDigestReader::Opened clsDigestReader::Open(clsDigestQueue& queue, Deferred& next) {
    if (!ChooseWorker(next)) {
        m_Deferred = std::move(next);
        return Opened::Later;
    }
    try {
        if (m_SpareReaders.empty()) {
            m_SpareReaders.push_back(std::make_unique<clsFileReader>());
        }
        std::unique_ptr<clsFileReader>& reader = m_SpareReaders.back();
        if (!reader->Open(next.piece.file.path)) {
            const int error = reader->Error();
            if (IsTooManyOpenFiles(error) && !queue.Cancelled()) {
                // Out of descriptors: a readable file must not fail for it. It waits for one of the reader's
                // own files to end, or for other readers'.
                m_DeferredError = error;
                m_Deferred = std::move(next);
                return Opened::Later;
            }
            End(next.piece, next.worker, ReadFailure(error));
            return Opened::Failed;
        }
        const clsDigestQueue::Piece& piece = next.piece;
        const bool part = piece.parts > 1;
        const std::uint64_t partLength =
            part ? clsDigestQueue::PartLength(static_cast<std::uint64_t>(piece.file.length), piece.parts) : 0;
        if (part && !reader->Seek(piece.part * partLength)) {
            const int error = reader->Error();
            reader->Close();
            End(piece, next.worker, ReadFailure(error));
            return Opened::Failed;
        }
        // A part ends where the next begins; the last part, like a whole file, where the file ends by now.
        const std::uint64_t left =
            part && piece.part + 1 < piece.parts ? partLength : std::numeric_limits<std::uint64_t>::max();
        m_Files.push_back({std::move(next.piece), std::move(reader), next.worker, left});
        m_SpareReaders.pop_back();
        return Opened::Yes;
    } catch (...) {
        End(next.piece, next.worker, FailureOf(std::current_exception()));
        return Opened::Failed;
    }
}

// Reads the file's next chunk into the block being filled and hands it to the file's worker; false once the
// file has ended, with its last chunk handed over.
bool clsDigestReader::ReadChunk(clsDigestQueue& queue, File& file, std::size_t chunk) {
    try {
        const clsFileReader& reader = *file.reader;
        // A file whose length is known needs no more room than is left of it; a block that cannot hold that
        // much of it is handed on and a new one started.
        std::uint64_t need = std::min<std::uint64_t>(chunk, file.left);
        if (reader.Length() != std::numeric_limits<std::uint64_t>::max() && reader.Length() > file.read) {
            need = std::min<std::uint64_t>(need, reader.Length() - file.read);
        }
        if (!Room(queue, static_cast<std::size_t>(std::max<std::uint64_t>(need, 1)))) {
            return true; // cancelled while waiting for a block
        }
        const std::size_t size =
            static_cast<std::size_t>(std::min<std::uint64_t>({chunk, file.left, m_Budget.BlockBytes() - m_Used}));
        const std::int64_t got = file.reader->Read(m_Block->data + m_Used, size);
        if (got < 0) {
            End(file.piece, file.worker, ReadFailure(file.reader->Error()));
            return false;
        }
        const auto bytes = static_cast<std::size_t>(got);
        queue.AddBytes(bytes);
        file.left -= bytes;
        file.read += bytes;
        DigestChunk out = DigestChunk::Of(file.piece);
        out.last = file.reader->AtEnd() || file.left == 0;
        if (bytes > 0) {
            clsBlockBudget::AddRef(m_Block);
            out.block = m_Block;
            out.data = m_Block->data + m_Used;
            out.size = bytes;
            m_Used = std::min(m_Budget.BlockBytes(),
                              (m_Used + bytes + kChunkAlignment - 1) / kChunkAlignment * kChunkAlignment);
        }
        const bool last = out.last;
        m_Outbox[file.worker].push_back(std::move(out));
        if (++m_Pending >= kBatchChunks || bytes >= kLargeChunk) {
            FlushAll();
        }
        return !last;
    } catch (...) {
        End(file.piece, file.worker, FailureOf(std::current_exception()));
        return false;
    }
}

// Makes sure the block being filled has `bytes` free, starting a new block when it has not; false when the
// batch was cancelled while waiting for one.
bool clsDigestReader::Room(clsDigestQueue& queue, std::size_t bytes) {
    bytes = std::min(bytes, m_Budget.BlockBytes());
    if (m_Block != nullptr && m_Budget.BlockBytes() - m_Used >= bytes) {
        return true;
    }
    m_Budget.Release(m_Block); // the chunks handed out keep it until they are hashed
    m_Block = m_Budget.TryAcquire();
    m_Used = 0;
    if (m_Block == nullptr) {
        // Every block is being hashed or waits for it: the workers must have what this reader holds first.
        FlushAll();
        m_Block = m_Budget.Acquire(queue.CancelFlag());
    }
    return m_Block != nullptr;
}

void clsDigestReader::End(const clsDigestQueue::Piece& piece, std::size_t worker, const std::string& failure) {
    DigestChunk out = DigestChunk::Of(piece);
    out.last = true;
    out.failure = failure.empty() ? std::string("不明なエラー") : failure;
    m_Outbox[worker].push_back(std::move(out));
    ++m_Pending;
}

void clsDigestReader::FlushAll() {
    for (std::size_t i = 0; i < m_Outbox.size(); ++i) {
        m_Workers[i]->Post(m_Outbox[i]);
    }
    m_Pending = 0;
}

void clsDigestReader::CloseAll() {
    for (File& file : m_Files) {
        file.reader->Close();
        m_SpareReaders.push_back(std::move(file.reader));
    }
    m_Files.clear();
}
