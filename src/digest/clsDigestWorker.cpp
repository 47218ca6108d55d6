#include "digest/clsDigestWorker.h"

#include "digest/CRC16.h"
#include "digest/CRC32.h"
#include "digest/CRCCombine.h"
#include "digest/DigestText.h"
#include "lists/clsDigestListItem.h"
#include "util/AppError.h"

#include <algorithm>
#include <limits>
#include <new>

namespace {

// Page-aligned chunks: the system copies file pages into them fastest.
constexpr std::align_val_t kBufferAlignment{4096};

// The error is made whole before it is handed over: no temporary sharing its message outlives the hand-over.
void FailJob(clsDigestQueue& queue, std::size_t job, std::int32_t kind) {
    std::exception_ptr error =
        std::make_exception_ptr(AppError(ErrorNumber::DigestFailed, clsStreamDigest::FailedMessage(kind)));
    queue.Fail(job, std::move(error));
}

} // namespace

void clsDigestWorker::FreeBuffer::operator()(unsigned char* buffer) const {
    ::operator delete(buffer, kBufferAlignment);
}

clsDigestWorker::clsDigestWorker(clsMD5MultiBuffer::Engine engine, std::size_t laneChunk, std::size_t streamChunk)
    : m_MD5(engine), m_LaneChunk(laneChunk), m_StreamChunk(streamChunk), m_Lanes(m_MD5.Lanes()) {
    // With one lane the engine is one-stream MD5: MD5 files then go the way of every other kind.
    const std::size_t laneBytes = UsesLanes() ? m_Lanes.size() * m_LaneChunk : 0;
    m_Buffer.reset(static_cast<unsigned char*>(::operator new(laneBytes + m_StreamChunk, kBufferAlignment)));
    m_Finished.resize(m_Lanes.size());
    if (UsesLanes()) {
        for (std::size_t i = m_Lanes.size(); i-- > 0;) {
            m_Lanes[i].buffer = m_Buffer.get() + i * m_LaneChunk;
            m_FreeLanes.push_back(i);
        }
    }
}

clsDigestWorker::~clsDigestWorker() = default;

void clsDigestWorker::Work(clsDigestQueue& queue) {
    if (!UsesLanes()) {
        while (const auto piece = queue.Claim(true)) {
            Hash(queue, *piece);
        }
        return;
    }
    while (!queue.Cancelled()) {
        FinishLanes(queue);
        // New files go into free lanes. With every lane free there is nothing else to do than wait for a job;
        // none then means the batch is over.
        bool over = false;
        while (!m_FreeLanes.empty()) {
            const bool idle = m_FreeLanes.size() == m_Lanes.size();
            const auto piece = queue.Claim(idle);
            if (!piece) {
                over = idle;
                break;
            }
            Hash(queue, *piece);
        }
        if (over) {
            break;
        }
        FeedLanes(queue);
        m_MD5.Run();
    }
    for (std::size_t lane = 0; lane < m_Lanes.size(); ++lane) {
        if (m_MD5.IsOpen(lane)) {
            m_MD5.Drop(lane);
            CloseLane(lane);
        }
    }
}

// An MD5 file goes into a lane and is hashed over the next passes; anything else is hashed here and now.
void clsDigestWorker::Hash(clsDigestQueue& queue, const clsDigestQueue::Piece& piece) {
    if (piece.parts > 1) {
        HashPart(queue, piece);
    } else if (UsesLanes() && piece.file->kind == DigestKind::MD5) {
        OpenLane(queue, piece);
    } else {
        HashStream(queue, piece);
    }
}

void clsDigestWorker::OpenLane(clsDigestQueue& queue, const clsDigestQueue::Piece& piece) {
    const std::size_t lane = m_FreeLanes.back();
    if (!m_Lanes[lane].reader.Open(piece.file->path)) {
        FailJob(queue, piece.job, DigestKind::MD5);
        return;
    }
    m_FreeLanes.pop_back();
    m_Lanes[lane].job = piece.job;
    m_MD5.Open(lane);
}

// Lanes whose file has been read to its end and hashed as far as whole blocks go get their digest, all
// published together.
void clsDigestWorker::FinishLanes(clsDigestQueue& queue) {
    std::size_t finished = 0;
    for (std::size_t lane = 0; lane < m_Lanes.size(); ++lane) {
        if (!m_MD5.NeedsData(lane) || !m_Lanes[lane].reader.AtEnd()) {
            continue;
        }
        Lane& state = m_Lanes[lane];
        try {
            const clsMD5MultiBuffer::Digest digest = m_MD5.Finish(lane);
            WriteHexLower(digest.data(), digest.size(), state.text);
            m_Finished[finished++] = {state.job, std::string_view(state.text, sizeof state.text)};
        } catch (...) {
            queue.Fail(state.job, std::current_exception());
        }
        CloseLane(lane);
    }
    queue.Publish(std::span(m_Finished.data(), finished));
}

// Every lane that has hashed all it was given gets the next chunk of its file. A slow disk makes the reads the
// long part: a cancel is seen between them.
void clsDigestWorker::FeedLanes(clsDigestQueue& queue) {
    for (std::size_t lane = 0; lane < m_Lanes.size() && !queue.Cancelled(); ++lane) {
        Lane& state = m_Lanes[lane];
        if (!m_MD5.NeedsData(lane) || state.reader.AtEnd()) {
            continue;
        }
        const std::int64_t got = state.reader.Read(state.buffer, m_LaneChunk);
        if (got < 0) {
            m_MD5.Drop(lane);
            FailJob(queue, state.job, DigestKind::MD5);
            CloseLane(lane);
            continue;
        }
        queue.AddBytes(static_cast<std::uint64_t>(got));
        m_MD5.Submit(lane, state.buffer, static_cast<std::size_t>(got));
    }
}

void clsDigestWorker::CloseLane(std::size_t lane) {
    m_Lanes[lane].reader.Close();
    m_FreeLanes.push_back(lane);
}

unsigned char* clsDigestWorker::StreamBuffer() const {
    return m_Buffer.get() + (UsesLanes() ? m_Lanes.size() * m_LaneChunk : 0);
}

void clsDigestWorker::HashStream(clsDigestQueue& queue, const clsDigestQueue::Piece& piece) {
    const DigestJob& file = *piece.file;
    const std::size_t job = piece.job;
    unsigned char* buffer = StreamBuffer();
    try {
        m_Stream.Start(file.kind);
        bool read = m_StreamReader.Open(file.path);
        while (read && !m_StreamReader.AtEnd()) {
            if (queue.Cancelled()) {
                m_StreamReader.Close();
                return;
            }
            const std::int64_t got = m_StreamReader.Read(buffer, m_StreamChunk);
            read = got >= 0 && m_Stream.Update(buffer, static_cast<std::size_t>(got));
            queue.AddBytes(got > 0 ? static_cast<std::uint64_t>(got) : 0);
        }
        m_StreamReader.Close();
        char text[kMaxDigestText];
        const std::size_t length = read ? m_Stream.Finish(text) : 0;
        if (length == 0) {
            FailJob(queue, job, file.kind);
            return;
        }
        queue.Publish(job, std::string_view(text, length));
    } catch (...) {
        m_StreamReader.Close();
        queue.Fail(job, std::current_exception());
    }
}

// A part's CRC starts from nothing; the worker that hashes the last part to end joins them all.
void clsDigestWorker::HashPart(clsDigestQueue& queue, const clsDigestQueue::Piece& piece) {
    const DigestJob& file = *piece.file;
    const bool crc16 = file.kind == DigestKind::CRC16;
    const std::uint64_t partLength = clsDigestQueue::PartLength(static_cast<std::uint64_t>(file.length), piece.parts);
    // The last part reads to the file's end, wherever that is by now.
    std::uint64_t left = piece.part + 1 == piece.parts ? std::numeric_limits<std::uint64_t>::max() : partLength;
    unsigned char* buffer = StreamBuffer();
    clsDigestQueue::PartResult result;
    result.ok = m_StreamReader.Open(file.path) && m_StreamReader.Seek(piece.part * partLength);
    while (result.ok && left > 0 && !m_StreamReader.AtEnd()) {
        if (queue.Cancelled()) {
            m_StreamReader.Close();
            return;
        }
        const std::int64_t got =
            m_StreamReader.Read(buffer, static_cast<std::size_t>(std::min<std::uint64_t>(left, m_StreamChunk)));
        if (got < 0) {
            result.ok = false;
            break;
        }
        const auto size = static_cast<std::size_t>(got);
        result.crc = crc16 ? UpdateCRC16(static_cast<std::uint16_t>(result.crc), buffer, size)
                           : UpdateCRC32(result.crc, buffer, size);
        result.bytes += size;
        left -= size;
        queue.AddBytes(size);
    }
    m_StreamReader.Close();
    const auto parts = queue.PartDone(piece, result);
    if (!parts) {
        return;
    }
    bool ok = true;
    std::uint32_t crc = 0;
    for (unsigned k = 0; k < piece.parts; ++k) {
        const clsDigestQueue::PartResult& part = (*parts)[k];
        ok = ok && part.ok;
        crc = k == 0  ? part.crc
              : crc16 ? CombineCRC16(static_cast<std::uint16_t>(crc), static_cast<std::uint16_t>(part.crc), part.bytes)
                      : CombineCRC32(crc, part.crc, part.bytes);
    }
    if (!ok) {
        FailJob(queue, piece.job, file.kind);
        return;
    }
    char text[8];
    const int digits = crc16 ? 4 : 8;
    WriteHexUpper(crc, digits, text);
    queue.Publish(piece.job, std::string_view(text, static_cast<std::size_t>(digits)));
}
