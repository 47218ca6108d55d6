#include "digest/clsDigestQueue.h"

#include "lists/clsDigestListItem.h"
#include "util/AppError.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Files smaller than two parts of this are not worth sharing between workers.
constexpr std::uint64_t kMinPartLength = std::uint64_t{32} << 20;
constexpr std::uint64_t kChunk = std::uint64_t{1} << 20;

[[noreturn]] void RaiseMisuse() {
    RaiseError(ErrorNumber::InvalidArgument, "プロシージャの呼び出し、または引数が不正です。");
}

} // namespace

clsDigestQueue::clsDigestQueue(unsigned workers, std::size_t window)
    : m_Workers(workers), m_Slots(std::max<std::size_t>(window, 1)) {}

void clsDigestQueue::Start(std::vector<DigestJob> jobs, bool more) {
    for (const DigestJob& job : jobs) {
        if (!clsStreamDigest::IsKind(job.kind)) {
            RaiseMisuse();
        }
    }
    std::unique_lock lock(m_Mutex);
    m_Cancelled.store(true);
    m_WorkChanged.notify_all();
    m_WorkersIdle.wait(lock, [this] { return m_Busy == 0; });
    m_Jobs.assign(std::make_move_iterator(jobs.begin()), std::make_move_iterator(jobs.end()));
    m_JobCount = m_Jobs.size();
    m_Open = more;
    for (Slot& slot : m_Slots) {
        slot.index = kNone;
        slot.failure.clear();
    }
    m_Next = 0;
    m_NextPart = 0;
    m_Splits.clear();
    m_Taken = 0;
    m_BytesDone.store(0);
    m_Cancelled.store(false);
    m_Busy = m_Workers;
    ++m_Batch;
    m_WorkChanged.notify_all();
}

void clsDigestQueue::Add(std::vector<DigestJob> jobs) {
    for (const DigestJob& job : jobs) {
        if (!clsStreamDigest::IsKind(job.kind)) {
            RaiseMisuse();
        }
    }
    const std::lock_guard lock(m_Mutex);
    if (!m_Open) {
        RaiseMisuse();
    }
    const std::size_t first = m_JobCount;
    m_Jobs.insert(m_Jobs.end(), std::make_move_iterator(jobs.begin()), std::make_move_iterator(jobs.end()));
    m_JobCount += jobs.size();
    if (m_ClaimWaiters > 0) {
        m_WorkChanged.notify_all();
    }
    if (m_Awaited != kNone && m_Awaited >= first && m_Awaited < m_JobCount) {
        m_ResultChanged.notify_one();
    }
}

void clsDigestQueue::NoMoreJobs() {
    const std::lock_guard lock(m_Mutex);
    m_Open = false;
    m_WorkChanged.notify_all();
    m_ResultChanged.notify_all();
}

DigestResult clsDigestQueue::Take(std::size_t index) {
    std::unique_lock lock(m_Mutex);
    if (index < m_Taken) {
        RaiseMisuse();
    }
    // A job not added yet: wait for it while the batch is open.
    m_Awaited = index;
    m_ResultChanged.wait(lock, [&] { return Cancelled() || !m_Open || index < m_JobCount; });
    m_Awaited = kNone;
    if (Cancelled()) {
        throw DigestCancelled{};
    }
    if (index >= m_JobCount) {
        RaiseMisuse();
    }
    if (index > m_Taken) {
        // Jobs passed over: their results are dropped and nobody starts them any more.
        for (std::size_t skipped = m_Taken; skipped < index && skipped < m_Next; ++skipped) {
            Slot& slot = m_Slots[skipped % m_Slots.size()];
            if (slot.index == skipped) {
                slot.index = kNone;
                slot.failure.clear();
            }
        }
        m_Taken = index;
        if (m_Next < index) {
            m_Jobs.erase(m_Jobs.begin(), m_Jobs.begin() + static_cast<std::ptrdiff_t>(index - m_Next));
            m_Next = index;
            m_NextPart = 0;
        }
        std::erase_if(m_Splits, [&](const Split& split) { return split.job < index; });
        if (m_ClaimWaiters > 0) {
            m_WorkChanged.notify_all();
        }
    }
    Slot& slot = m_Slots[index % m_Slots.size()];
    m_Awaited = index;
    m_ResultChanged.wait(lock, [&] { return Cancelled() || slot.index == index; });
    m_Awaited = kNone;
    if (Cancelled()) {
        throw DigestCancelled{};
    }
    DigestResult result;
    result.digest.assign(slot.text, slot.length);
    result.bytes = slot.bytes;
    result.failure.swap(slot.failure);
    slot.index = kNone;
    m_Taken = index + 1;
    if (m_ClaimWaiters > 0) {
        m_WorkChanged.notify_all();
    }
    return result;
}

void clsDigestQueue::Cancel() {
    const std::lock_guard lock(m_Mutex);
    m_Cancelled.store(true);
    m_WorkChanged.notify_all();
    m_ResultChanged.notify_all();
}

bool clsDigestQueue::WaitForBatch(std::uint64_t& seen) {
    std::unique_lock lock(m_Mutex);
    m_WorkChanged.wait(lock, [&] { return m_Shutdown || m_Batch != seen; });
    seen = m_Batch;
    return !m_Shutdown;
}

std::uint64_t clsDigestQueue::PartLength(std::uint64_t length, unsigned parts) {
    return length / parts / kChunk * kChunk;
}

// Only the CRCs can be joined from parts; the others are hashed by one worker from start to end.
unsigned clsDigestQueue::PartsOf(const DigestJob& job) const {
    if ((job.kind != DigestKind::CRC16 && job.kind != DigestKind::CRC32) || job.length < 0) {
        return 1;
    }
    const std::uint64_t parts = static_cast<std::uint64_t>(job.length) / kMinPartLength;
    return static_cast<unsigned>(std::clamp<std::uint64_t>(std::min<std::uint64_t>(parts, m_Workers), 1, kMaxParts));
}

std::optional<clsDigestQueue::Piece> clsDigestQueue::Claim(bool wait) {
    std::unique_lock lock(m_Mutex);
    for (;;) {
        if (Cancelled() || (m_Next >= m_JobCount && !m_Open)) {
            return std::nullopt;
        }
        if (m_Next < m_JobCount && m_Next < ClaimLimit()) {
            Piece piece{m_Next, m_Jobs.front(), m_NextPart, PartsOf(m_Jobs.front())};
            if (piece.parts > 1 && piece.part == 0) {
                m_Splits.push_back({piece.job, piece.parts, {}});
            }
            if (++m_NextPart == piece.parts) {
                m_Jobs.pop_front();
                ++m_Next;
                m_NextPart = 0;
            }
            return piece;
        }
        if (!wait) {
            return std::nullopt;
        }
        ++m_ClaimWaiters;
        m_WorkChanged.wait(lock);
        --m_ClaimWaiters;
    }
}

// The slot for the result of job `index`, or nullptr when nobody will take it: passed over, or cancelled.
clsDigestQueue::Slot* clsDigestQueue::Writable(std::size_t index) {
    if (Cancelled() || index < m_Taken) {
        return nullptr;
    }
    Slot& slot = m_Slots[index % m_Slots.size()];
    slot.index = index;
    return &slot;
}

void clsDigestQueue::Publish(std::span<const Digest> digests) {
    const std::lock_guard lock(m_Mutex);
    bool awaited = false;
    for (const Digest& digest : digests) {
        if (Slot* slot = Writable(digest.job)) {
            slot->length = std::min(digest.text.size(), sizeof slot->text);
            std::memcpy(slot->text, digest.text.data(), slot->length);
            slot->bytes = digest.bytes;
            slot->failure.clear();
            awaited = awaited || m_Awaited == digest.job;
        }
    }
    if (awaited) {
        m_ResultChanged.notify_one();
    }
}

void clsDigestQueue::Fail(std::size_t index, const std::string& failure, std::uint64_t bytes) {
    const std::lock_guard lock(m_Mutex);
    if (Slot* slot = Writable(index)) {
        slot->length = 0;
        slot->bytes = bytes;
        slot->failure = failure.empty() ? std::string("不明なエラー") : failure;
        if (m_Awaited == index) {
            m_ResultChanged.notify_one();
        }
    }
}

std::optional<std::array<clsDigestQueue::PartResult, clsDigestQueue::kMaxParts>>
clsDigestQueue::PartDone(const Piece& piece, const PartResult& result) {
    const std::lock_guard lock(m_Mutex);
    const auto split =
        std::find_if(m_Splits.begin(), m_Splits.end(), [&](const Split& each) { return each.job == piece.job; });
    if (Cancelled() || split == m_Splits.end()) {
        return std::nullopt; // passed over
    }
    split->results[piece.part] = result;
    if (--split->partsLeft > 0) {
        return std::nullopt;
    }
    const std::array<PartResult, kMaxParts> results = split->results;
    m_Splits.erase(split);
    return results;
}

void clsDigestQueue::WorkerDone() {
    const std::lock_guard lock(m_Mutex);
    if (--m_Busy == 0) {
        m_WorkersIdle.notify_all();
    }
}

void clsDigestQueue::Shutdown() {
    const std::lock_guard lock(m_Mutex);
    m_Shutdown = true;
    m_Cancelled.store(true);
    m_WorkChanged.notify_all();
    m_ResultChanged.notify_all();
}
