#include "digest/clsDigestQueue.h"

#include "util/AppError.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Files smaller than two parts of this are not worth sharing between readers.
constexpr std::uint64_t kMinPartLength = std::uint64_t{32} << 20;
constexpr std::uint64_t kChunk = std::uint64_t{1} << 20;

[[noreturn]] void RaiseMisuse() {
    RaiseError(ErrorNumber::InvalidArgument, "プロシージャの呼び出し、または引数が不正です。");
}

void CheckKinds(const std::vector<DigestJob>& jobs) {
    for (const DigestJob& job : jobs) {
        if (!clsStreamDigest::IsKind(job.kind)) {
            RaiseMisuse();
        }
    }
}

std::uint64_t LengthOf(const DigestJob& job) {
    return job.length > 0 ? static_cast<std::uint64_t>(job.length) : 0;
}

} // namespace

clsDigestQueue::clsDigestQueue(unsigned readers, unsigned workers, std::size_t window, std::uint64_t windowBytes)
    : m_Readers(readers), m_Workers(workers), m_WindowBytes(windowBytes), m_Slots(std::max<std::size_t>(window, 1)) {}

void clsDigestQueue::Start(std::vector<DigestJob> jobs, bool more) {
    CheckKinds(jobs);
    {
        std::unique_lock lock(m_Mutex);
        m_Cancelled.store(true);
        m_WorkChanged.notify_all();
        m_ThreadsIdle.wait(lock, [this] { return m_Busy == 0; });
        Reset();
        m_Open = true;
        m_Cancelled.store(false);
        m_Busy = m_Readers + m_Workers;
        m_ReadersBusy = m_Readers;
        ++m_Batch;
        m_WorkChanged.notify_all();
    }
    Add(std::move(jobs));
    if (!more) {
        NoMoreJobs();
    }
}

void clsDigestQueue::Reset() {
    m_Groups.clear();
    m_JobCount = 0;
    m_Unclaimed = 0;
    for (Slot& slot : m_Slots) {
        slot.index = kNone;
        slot.claimed = 0;
        slot.failure.clear();
    }
    m_ClaimedBytes = 0;
    m_Splits.clear();
    m_Taken = 0;
    m_BytesDone.store(0);
}

void clsDigestQueue::Add(std::vector<DigestJob> jobs, std::span<const std::uint64_t> devices) {
    CheckKinds(jobs);
    if (!devices.empty() && devices.size() != jobs.size()) {
        RaiseMisuse();
    }
    const std::lock_guard lock(m_Mutex);
    if (!m_Open) {
        RaiseMisuse();
    }
    const std::size_t first = m_JobCount;
    Group* group = nullptr;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const std::uint64_t device = devices.empty() ? 0 : devices[i];
        if (group == nullptr || group->device != device) {
            const auto found = std::find_if(m_Groups.begin(), m_Groups.end(),
                                            [&](const Group& each) { return each.device == device; });
            group = found != m_Groups.end() ? &*found : &m_Groups.emplace_back();
            group->device = device;
        }
        group->jobs.emplace_back(m_JobCount++, std::move(jobs[i]));
        ++m_Unclaimed;
    }
    if (m_AttachWaiters > 0) {
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
        DropBefore(index);
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
    Unclaim(index);
    m_Taken = index + 1;
    if (m_AttachWaiters > 0) {
        m_WorkChanged.notify_all();
    }
    return result;
}

// Jobs passed over by the consumer: their results are dropped and nobody starts them any more.
void clsDigestQueue::DropBefore(std::size_t index) {
    for (std::size_t skipped = m_Taken; skipped < index; ++skipped) {
        Slot& slot = m_Slots[skipped % m_Slots.size()];
        if (slot.index == skipped) {
            slot.index = kNone;
            slot.failure.clear();
        }
        Unclaim(skipped);
    }
    for (Group& group : m_Groups) {
        while (!group.jobs.empty() && group.jobs.front().first < index) {
            group.jobs.pop_front();
            group.nextPart = 0;
            --m_Unclaimed;
        }
    }
    m_Taken = index;
    std::erase_if(m_Splits, [&](const Split& split) { return split.job < index; });
    if (m_AttachWaiters > 0) {
        m_WorkChanged.notify_all();
    }
}

void clsDigestQueue::Unclaim(std::size_t index) {
    Slot& slot = m_Slots[index % m_Slots.size()];
    m_ClaimedBytes -= std::min(m_ClaimedBytes, slot.claimed);
    slot.claimed = 0;
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

// Only the CRCs can be joined from parts, and only readers side by side gain from them: on a device read by
// one reader the parts would just be read one after another.
unsigned clsDigestQueue::PartsOf(const Group& group, const DigestJob& job) const {
    if ((job.kind != DigestKind::CRC16 && job.kind != DigestKind::CRC32) || job.length < 0 || group.plan.readers < 2) {
        return 1;
    }
    const std::uint64_t parts = static_cast<std::uint64_t>(job.length) / kMinPartLength;
    return static_cast<unsigned>(
        std::clamp<std::uint64_t>(std::min<std::uint64_t>(parts, group.plan.readers), 1, kMaxParts));
}

// The group's next job may be claimed: it lies within the window of jobs, and within the window of bytes
// unless it is the very job the consumer waits for next.
bool clsDigestQueue::Claimable(const Group& group) const {
    if (group.jobs.empty()) {
        return false;
    }
    const auto& [index, job] = group.jobs.front();
    if (index >= ClaimLimit()) {
        return false;
    }
    return group.nextPart > 0 || index == m_Taken || m_ClaimedBytes + LengthOf(job) <= m_WindowBytes;
}

bool clsDigestQueue::AnyJobLeft() const {
    return m_Unclaimed > 0 || m_Open;
}

clsDigestQueue::Group* clsDigestQueue::Attach(bool wait) {
    std::unique_lock lock(m_Mutex);
    for (;;) {
        if (Cancelled() || !AnyJobLeft()) {
            return nullptr;
        }
        Group* best = nullptr;
        for (Group& group : m_Groups) {
            const unsigned room = group.planned ? group.plan.readers : 1;
            if (group.attached < room && Claimable(group) &&
                (best == nullptr || group.jobs.front().first < best->jobs.front().first)) {
                best = &group;
            }
        }
        if (best != nullptr) {
            ++best->attached;
            return best;
        }
        if (!wait) {
            return nullptr;
        }
        ++m_AttachWaiters;
        m_WorkChanged.wait(lock);
        --m_AttachWaiters;
    }
}

std::vector<std::string> clsDigestQueue::Samples(const Group& group, std::size_t count) const {
    const std::lock_guard lock(m_Mutex);
    std::vector<std::string> samples;
    for (const auto& [index, job] : group.jobs) {
        if (samples.size() >= count) {
            break;
        }
        samples.push_back(job.path);
    }
    return samples;
}

void clsDigestQueue::SetPlan(Group& group, const ReadPlan& plan) {
    const std::lock_guard lock(m_Mutex);
    group.plan = plan;
    group.plan.readers = std::max(plan.readers, 1U);
    group.plan.width = std::max(plan.width, 1U);
    group.planned = true;
    if (m_AttachWaiters > 0 && group.plan.readers > 1) {
        m_WorkChanged.notify_all();
    }
}

std::optional<clsDigestQueue::Piece> clsDigestQueue::Claim(Group& group) {
    const std::lock_guard lock(m_Mutex);
    if (Cancelled() || !Claimable(group)) {
        return std::nullopt;
    }
    auto& [index, job] = group.jobs.front();
    Piece piece{index, job, group.nextPart, PartsOf(group, job)};
    if (piece.parts > 1 && piece.part == 0) {
        m_Splits.push_back({piece.job, piece.parts, {}});
    }
    if (piece.part == 0) {
        Slot& slot = m_Slots[index % m_Slots.size()];
        slot.claimed = LengthOf(job);
        m_ClaimedBytes += slot.claimed;
    }
    if (++group.nextPart == piece.parts) {
        group.jobs.pop_front();
        group.nextPart = 0;
        --m_Unclaimed;
    }
    return piece;
}

void clsDigestQueue::Detach(Group& group) {
    const std::lock_guard lock(m_Mutex);
    --group.attached;
    if (m_AttachWaiters > 0) {
        m_WorkChanged.notify_all();
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

bool clsDigestQueue::ReaderDone() {
    const std::lock_guard lock(m_Mutex);
    return --m_ReadersBusy == 0;
}

void clsDigestQueue::ThreadDone() {
    const std::lock_guard lock(m_Mutex);
    if (--m_Busy == 0) {
        m_ThreadsIdle.notify_all();
    }
}

void clsDigestQueue::Shutdown() {
    const std::lock_guard lock(m_Mutex);
    m_Shutdown = true;
    m_Cancelled.store(true);
    m_WorkChanged.notify_all();
    m_ResultChanged.notify_all();
}
