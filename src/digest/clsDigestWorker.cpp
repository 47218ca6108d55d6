#include "digest/clsDigestWorker.h"

#include "digest/CRC16.h"
#include "digest/CRC32.h"
#include "digest/CRCCombine.h"
#include "digest/DigestFailure.h"
#include "digest/DigestText.h"
#include "util/AppError.h"

#include <algorithm>
#include <new>

namespace {

constexpr std::size_t kLaneSlice = 16 * 1024;
constexpr std::chrono::microseconds kLanePatience(100);

} // namespace

namespace {} // namespace

clsDigestWorker::clsDigestWorker(clsMD5MultiBuffer::Engine engine, clsBlockBudget& budget)
    : m_Budget(budget), m_MD5(engine), m_UsesLanes(m_MD5.Lanes() > 1) {
    if (m_UsesLanes) {
        m_Lanes = std::vector<Lane>(m_MD5.Lanes());
        for (std::size_t i = m_Lanes.size(); i-- > 0;) {
            m_FreeLanes.push_back(i);
        }
    }
    m_Finished.reserve(m_Lanes.size());
}

clsDigestWorker::~clsDigestWorker() {
    DropAll();
    for (DigestChunk& chunk : m_Inbox) {
        Give(chunk);
    }
}

bool clsDigestWorker::ReserveLane() {
    std::size_t reserved = m_LanesReserved.load(std::memory_order_relaxed);
    while (reserved < Lanes() * kFilesPerLane) {
        if (m_LanesReserved.compare_exchange_weak(reserved, reserved + 1, std::memory_order_relaxed)) {
            return true;
        }
    }
    return false;
}

void clsDigestWorker::Post(std::vector<DigestChunk>& chunks) {
    if (chunks.empty()) {
        return;
    }
    {
        const std::lock_guard lock(m_InboxMutex);
        if (m_Inbox.empty()) {
            m_Inbox.swap(chunks);
        } else {
            std::move(chunks.begin(), chunks.end(), std::back_inserter(m_Inbox));
        }
    }
    chunks.clear();
    m_InboxChanged.notify_one();
}

void clsDigestWorker::EndOfBatch() {
    {
        const std::lock_guard lock(m_InboxMutex);
        m_Ended = true;
    }
    m_InboxChanged.notify_one();
}

void clsDigestWorker::Interrupt() {
    const std::lock_guard lock(m_InboxMutex);
    m_InboxChanged.notify_one();
}

// Moves the inbox's chunks to `chunks`. With `wait`, waits until there are some, the batch ends, or a cancel
// wants what the worker holds given back. Without, it still waits a moment while many lanes have run dry and
// wait for their files' next chunks: a pass costs the same over a few lanes as over all, and the readers use
// the moment to bring their chunks
// (a sixth of the passes saved on 200 warm files of 1 to 20 MiB: 14.5 of 16 lanes busy, not 12.5). False once the batch
// has ended and the inbox is empty.
bool clsDigestWorker::TakeInbox(std::vector<DigestChunk>& chunks, bool wait, const clsDigestQueue& queue) {
    std::unique_lock lock(m_InboxMutex);
    if (wait) {
        const bool holding = !m_Streams.empty();
        m_InboxChanged.wait(lock, [&] { return !m_Inbox.empty() || m_Ended || (holding && queue.Cancelled()); });
    } else if (m_Inbox.empty() && !m_Ended && DryLanes() >= std::max<std::size_t>(m_Lanes.size() / 4, 1)) {
        m_InboxChanged.wait_for(lock, kLanePatience, [&] { return !m_Inbox.empty() || m_Ended || queue.Cancelled(); });
    }
    chunks.swap(m_Inbox);
    return !chunks.empty() || !m_Ended;
}

void clsDigestWorker::Work(clsDigestQueue& queue) {
    for (;;) {
        const bool more = TakeInbox(m_Taken, BusyLanes() == 0 && m_Ready.empty(), queue);
        if (queue.Cancelled() || !m_Broken.empty()) {
            for (DigestChunk& chunk : m_Taken) {
                Discard(queue, chunk);
            }
            m_Taken.clear();
            DropAll();
        } else {
            for (DigestChunk& chunk : m_Taken) {
                Receive(queue, chunk);
            }
            m_Taken.clear();
            FeedLanes(queue);
            if (const std::size_t busy = BusyLanes(); busy > 0) {
                // Half the busy lanes may run dry before the worker looks for more chunks: passes over mostly
                // idle lanes waste the vector.
                m_MD5.Run(std::max<std::size_t>(1, (busy + 1) / 2));
                FeedLanes(queue);
            }
        }
        if (!more && BusyLanes() == 0) {
            // No chunk comes any more: a file still without its last chunk never gets one. Only a cancel
            // should leave such files; were there others, they must not wait for a result in vain.
            for (auto& [key, stream] : m_Streams) {
                stream.ended = true;
            }
            Abandon(queue, "不明なエラー");
            break;
        }
    }
    const std::lock_guard lock(m_InboxMutex);
    m_Ended = false;
    m_Broken.clear();
    // Whatever a cancel left uncounted starts from nothing in the next batch.
    m_Load.store(0);
    m_LanesReserved.store(0);
}

void clsDigestWorker::Abandon(clsDigestQueue& queue, const std::string& failure) {
    m_Broken = failure.empty() ? std::string("不明なエラー") : failure;
    // Each failure is told on its own: one that cannot be told must not keep the others from it. Files whose
    // last chunk is still to come are told when it comes, as every file is from now on in this batch.
    for (auto& [key, stream] : m_Streams) {
        if (!stream.ended) {
            continue;
        }
        try {
            const clsDigestQueue::Piece piece{JobOf(key), {"", stream.kind}, stream.part, stream.parts};
            if (stream.parts > 1) {
                clsDigestQueue::PartResult result;
                result.failure = m_Broken;
                FinishPart(queue, piece, result);
            } else {
                queue.Fail(piece.job, m_Broken, stream.bytes);
            }
        } catch (...) {
        }
    }
    for (DigestChunk& chunk : m_Taken) {
        Discard(queue, chunk);
    }
    m_Taken.clear();
    DropAll();
}

bool clsDigestWorker::InLane(DigestKind kind, unsigned parts) const {
    return m_UsesLanes && parts == 1 && kind == DigestKind::MD5;
}

namespace {

// Counts never go below 0: a file given to the worker unreserved (the last resort of a broken reader) ends
// like any other.
template <typename T>
void CountDown(std::atomic<T>& count) {
    T value = count.load(std::memory_order_relaxed);
    while (value > 0 && !count.compare_exchange_weak(value, value - 1, std::memory_order_relaxed)) {
    }
}

} // namespace

void clsDigestWorker::StreamEnded(DigestKind kind, unsigned parts) {
    CountDown(m_Load);
    if (InLane(kind, parts)) {
        CountDown(m_LanesReserved);
    }
}

// A chunk nobody hashes (cancelled, or the worker broken): its block goes back, and the last chunk of a file
// still ends it, so that no file waits for a result in vain and its lane is free again.
void clsDigestWorker::Discard(clsDigestQueue& queue, DigestChunk& chunk) {
    Give(chunk);
    if (!chunk.last) {
        return;
    }
    StreamEnded(chunk.kind, chunk.parts);
    m_Streams.erase(KeyOf(chunk.job, chunk.part));
    if (m_Broken.empty()) {
        return;
    }
    try {
        if (chunk.parts > 1) {
            clsDigestQueue::PartResult result;
            result.failure = m_Broken;
            FinishPart(queue, {chunk.job, {"", chunk.kind}, chunk.part, chunk.parts}, result);
        } else {
            queue.Fail(chunk.job, m_Broken, 0);
        }
    } catch (...) {
    }
}

void clsDigestWorker::Receive(clsDigestQueue& queue, DigestChunk& chunk) {
    const std::uint64_t key = KeyOf(chunk.job, chunk.part);
    auto [found, fresh] = m_Streams.try_emplace(key);
    Stream& stream = found->second;
    if (fresh) {
        stream.kind = chunk.kind;
        stream.part = chunk.part;
        stream.parts = chunk.parts;
        try {
            if (InLane(chunk.kind, chunk.parts)) {
                stream.md5 = true; // takes a lane once it has a chunk, below
            } else if (chunk.parts == 1) {
                stream.digest = std::make_unique<clsStreamDigest>();
                stream.digest->Start(chunk.kind);
            }
        } catch (...) {
            stream.failure = FailureOf(std::current_exception());
        }
    }
    stream.ended = stream.ended || chunk.last;
    if (stream.md5) {
        if (stream.lane == kNoLane && stream.waiting.empty()) {
            m_Ready.push_back(key);
        }
        stream.waiting.push_back(std::move(chunk));
        return;
    }
    HashNow(queue, key, stream, chunk);
}

void clsDigestWorker::HashNow(clsDigestQueue& queue, std::uint64_t key, Stream& stream, DigestChunk& chunk) {
    if (stream.failure.empty() && chunk.size > 0) {
        try {
            if (stream.parts > 1) {
                stream.crc = stream.kind == DigestKind::CRC16
                                 ? UpdateCRC16(static_cast<std::uint16_t>(stream.crc), chunk.data, chunk.size)
                                 : UpdateCRC32(stream.crc, chunk.data, chunk.size);
            } else if (!stream.digest->Update(chunk.data, chunk.size)) {
                stream.failure = clsStreamDigest::FailedMessage(stream.kind);
            }
            stream.bytes += chunk.size;
        } catch (...) {
            stream.failure = FailureOf(std::current_exception());
        }
    }
    const bool last = chunk.last;
    const std::string failure = stream.failure.empty() ? std::move(chunk.failure) : stream.failure;
    Give(chunk);
    if (last) {
        Finish(queue, key, stream, failure);
    }
}

// Lanes whose file has nothing to hash until its reader brings the next chunk.
std::size_t clsDigestWorker::DryLanes() const {
    std::size_t dry = 0;
    for (std::size_t lane = 0; lane < m_Lanes.size(); ++lane) {
        if (m_MD5.IsOpen(lane) && m_MD5.NeedsData(lane)) {
            const auto found = m_Streams.find(m_Lanes[lane].key);
            dry += found != m_Streams.end() && found->second.waiting.empty() && !found->second.ended ? 1 : 0;
        }
    }
    return dry;
}

std::size_t clsDigestWorker::BusyLanes() const {
    std::size_t busy = 0;
    for (std::size_t lane = 0; lane < m_Lanes.size(); ++lane) {
        busy += m_MD5.IsOpen(lane) && !m_MD5.NeedsData(lane) ? 1 : 0;
    }
    return busy;
}

// Every lane that has hashed what it holds gives its chunk back and takes its file's next one; a lane whose
// file has ended gets its digest. Files whose chunks wait take free lanes, or lanes whose files have none:
// those files are parked until their next chunk comes. Digests are published together.
void clsDigestWorker::FeedLanes(clsDigestQueue& queue) {
    for (std::size_t lane = 0; lane < m_Lanes.size(); ++lane) {
        if (m_MD5.IsOpen(lane)) {
            FeedLane(queue, lane);
        }
    }
    while (!m_Ready.empty()) {
        const std::uint64_t key = m_Ready.front();
        const auto found = m_Streams.find(key);
        if (found == m_Streams.end() || found->second.lane != kNoLane || found->second.waiting.empty()) {
            m_Ready.pop_front();
            continue;
        }
        const std::size_t lane = LaneFor();
        if (lane == kNoLane) {
            break; // every lane is hashing: the file waits its turn
        }
        m_Ready.pop_front();
        Stream& stream = found->second;
        try {
            if (stream.parked) {
                m_MD5.Resume(lane, *stream.parked);
                stream.parked.reset();
            } else {
                m_MD5.Open(lane);
            }
        } catch (...) {
            stream.failure = FailureOf(std::current_exception());
            m_MD5.Open(lane); // the lane only gives the file's chunks back, up to its last
        }
        m_FreeLanes.erase(std::find(m_FreeLanes.begin(), m_FreeLanes.end(), lane));
        stream.lane = lane;
        m_Lanes[lane] = Lane{};
        m_Lanes[lane].key = key;
        FeedLane(queue, lane);
    }
    queue.Publish(std::span(m_Finished.data(), m_Finished.size()));
    m_Finished.clear();
    m_Texts.clear();
}

// A free lane, or one whose file has run dry, parked to make room; kNoLane when every lane is hashing.
std::size_t clsDigestWorker::LaneFor() {
    if (!m_FreeLanes.empty()) {
        return m_FreeLanes.back();
    }
    for (std::size_t lane = 0; lane < m_Lanes.size(); ++lane) {
        Lane& state = m_Lanes[lane];
        Stream& stream = m_Streams.at(state.key);
        const bool dry = m_MD5.NeedsData(lane) && stream.waiting.empty() &&
                         !(state.holding && (state.submitted < state.held.size || state.held.last));
        if (!dry) {
            continue;
        }
        if (state.holding) {
            Give(state.held);
            state.holding = false;
        }
        stream.parked = m_MD5.Park(lane);
        stream.lane = kNoLane;
        FreeLane(lane);
        return lane;
    }
    return kNoLane;
}

void clsDigestWorker::FeedLane(clsDigestQueue& queue, std::size_t lane) {
    Lane& state = m_Lanes[lane];
    Stream& stream = m_Streams.at(state.key);
    while (m_MD5.NeedsData(lane)) {
        if (state.holding && state.submitted < state.held.size && stream.failure.empty()) {
            SubmitSlice(lane, state, stream);
            continue;
        }
        if (state.holding && state.held.last) {
            FinishLane(queue, lane, stream);
            return;
        }
        if (state.holding) {
            Give(state.held);
            state.holding = false;
        }
        if (stream.waiting.empty()) {
            return; // the file's next chunk has not come yet
        }
        state.held = std::move(stream.waiting.front());
        stream.waiting.pop_front();
        state.holding = true;
        state.submitted = 0;
        if (!state.held.failure.empty() || !stream.failure.empty()) {
            continue; // the file has failed: its chunks are only given back, up to its last
        }
        SubmitSlice(lane, state, stream);
    }
}

// A lane is given its chunk a slice at a time: lanes that run dry are refilled after each slice rather than
// after a whole chunk, and the vector passes stay full while other files' chunks come in.
void clsDigestWorker::SubmitSlice(std::size_t lane, Lane& state, Stream& stream) {
    const std::size_t size = std::min(kLaneSlice, state.held.size - state.submitted);
    try {
        m_MD5.Submit(lane, state.held.data + state.submitted, size);
        state.submitted += size;
        stream.bytes += size;
    } catch (...) {
        stream.failure = FailureOf(std::current_exception());
    }
}

// The lane's file has been hashed to its end, or failed: its digest waits to be published with the others of
// this pass, and the lane is free for the next file. Chunks of the file that come later are given back.
void clsDigestWorker::FinishLane(clsDigestQueue& queue, std::size_t lane, Stream& stream) {
    Lane& state = m_Lanes[lane];
    const std::uint64_t key = state.key;
    std::string failure = stream.failure.empty() ? std::move(state.held.failure) : stream.failure;
    Give(state.held);
    if (failure.empty()) {
        try {
            const clsMD5MultiBuffer::Digest digest = m_MD5.Finish(lane);
            std::array<char, 32>& text = m_Texts.emplace_back();
            WriteHexLower(digest.data(), digest.size(), text.data());
            m_Finished.push_back({JobOf(key), std::string_view(text.data(), text.size()), stream.bytes});
        } catch (...) {
            failure = FailureOf(std::current_exception());
        }
    }
    if (!failure.empty()) {
        if (m_MD5.IsOpen(lane)) {
            m_MD5.Drop(lane);
        }
        queue.Fail(JobOf(key), failure, stream.bytes);
    }
    for (DigestChunk& rest : stream.waiting) {
        Give(rest);
    }
    FreeLane(lane);
    StreamEnded(stream.kind, stream.parts);
    m_Streams.erase(key);
}

void clsDigestWorker::FreeLane(std::size_t lane) {
    m_Lanes[lane].holding = false;
    m_FreeLanes.push_back(lane);
}

void clsDigestWorker::Finish(clsDigestQueue& queue, std::uint64_t key, Stream& stream, const std::string& failure) {
    const clsDigestQueue::Piece piece{JobOf(key), {"", stream.kind}, stream.part, stream.parts};
    const std::uint64_t bytes = stream.bytes;
    const std::uint32_t crc = stream.crc;
    char text[kMaxDigestText];
    std::size_t length = 0;
    std::string failed = failure;
    if (stream.parts == 1 && failed.empty()) {
        length = stream.digest->Finish(text);
        if (length == 0) {
            failed = clsStreamDigest::FailedMessage(stream.kind);
        }
    }
    StreamEnded(stream.kind, stream.parts);
    m_Streams.erase(key);
    if (piece.parts > 1) {
        FinishPart(queue, piece, {crc, bytes, failed});
    } else if (!failed.empty()) {
        queue.Fail(piece.job, failed, bytes);
    } else {
        queue.Publish(piece.job, std::string_view(text, length), bytes);
    }
}

// A part's CRC starts from nothing; the worker that ends the last part joins them all.
void clsDigestWorker::FinishPart(clsDigestQueue& queue, const clsDigestQueue::Piece& piece,
                                 const clsDigestQueue::PartResult& result) {
    const auto parts = queue.PartDone(piece, result);
    if (!parts) {
        return;
    }
    const bool crc16 = piece.file.kind == DigestKind::CRC16;
    std::uint32_t crc = 0;
    std::uint64_t bytes = 0;
    for (unsigned k = 0; k < piece.parts; ++k) {
        const clsDigestQueue::PartResult& part = (*parts)[k];
        if (!part.failure.empty()) {
            queue.Fail(piece.job, part.failure, bytes + part.bytes);
            return;
        }
        crc = k == 0  ? part.crc
              : crc16 ? CombineCRC16(static_cast<std::uint16_t>(crc), static_cast<std::uint16_t>(part.crc), part.bytes)
                      : CombineCRC32(crc, part.crc, part.bytes);
        bytes += part.bytes;
    }
    char text[8];
    const int digits = crc16 ? 4 : 8;
    WriteHexUpper(crc, digits, text);
    queue.Publish(piece.job, std::string_view(text, static_cast<std::size_t>(digits)), bytes);
}

void clsDigestWorker::Give(DigestChunk& chunk) {
    m_Budget.Release(chunk.block);
    chunk.block = nullptr;
}

void clsDigestWorker::DropAll() {
    for (std::size_t lane = 0; lane < m_Lanes.size(); ++lane) {
        if (m_MD5.IsOpen(lane)) {
            m_MD5.Drop(lane);
            if (m_Lanes[lane].holding) {
                Give(m_Lanes[lane].held);
            }
            FreeLane(lane);
        }
    }
    for (auto& [key, stream] : m_Streams) {
        for (DigestChunk& chunk : stream.waiting) {
            Give(chunk);
        }
        // A file whose last chunk is still to come ends when that chunk is discarded.
        if (stream.ended) {
            StreamEnded(stream.kind, stream.parts);
        }
    }
    m_Streams.clear();
    m_Ready.clear();
}
