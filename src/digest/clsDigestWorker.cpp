#include "digest/clsDigestWorker.h"

#include "digest/CRC16.h"
#include "digest/CRC32.h"
#include "digest/CRCCombine.h"
#include "digest/DigestText.h"
#include "lists/clsDigestListItem.h"
#include "util/AppError.h"
#include "util/FileSystem.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <new>
#include <thread>

namespace {

// Page-aligned chunks: the system copies file pages into them fastest.
constexpr std::align_val_t kBufferAlignment{4096};
// A worker that holds no file of its own and still finds the process out of descriptors waits for other
// workers to close theirs, this long at most, before the file counts as unreadable.
constexpr int kOpenAttempts = 200;
constexpr auto kOpenPause = std::chrono::milliseconds(10);

std::string ReadFailure(int code) {
    return "読み取りエラー: " + ReadErrorReason(code);
}

std::string FailureOf(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const AppError& appError) {
        return appError.Description();
    } catch (const std::bad_alloc&) {
        return "メモリが足りません";
    } catch (const std::exception& other) {
        return other.what();
    } catch (...) {
        return "不明なエラー";
    }
}

} // namespace

void clsDigestWorker::FreeBuffer::operator()(unsigned char* buffer) const {
    ::operator delete(buffer, kBufferAlignment);
}

clsDigestWorker::clsDigestWorker(clsMD5MultiBuffer::Engine engine, std::size_t laneChunk, std::size_t streamChunk,
                                 std::size_t lanes)
    : m_MD5(engine), m_LaneCount(std::min(lanes, m_MD5.Lanes())), m_LaneChunk(laneChunk), m_StreamChunk(streamChunk) {
    // With one lane the engine is one-stream MD5: MD5 files then go the way of every other kind.
    if (UsesLanes()) {
        m_Lanes = std::vector<Lane>(m_LaneCount);
    }
    const std::size_t laneBytes = m_Lanes.size() * m_LaneChunk;
    m_Buffer.reset(static_cast<unsigned char*>(::operator new(laneBytes + m_StreamChunk, kBufferAlignment)));
    m_Finished.resize(m_Lanes.size());
    for (std::size_t i = m_Lanes.size(); i-- > 0;) {
        m_Lanes[i].buffer = m_Buffer.get() + i * m_LaneChunk;
        m_FreeLanes.push_back(i);
    }
}

clsDigestWorker::~clsDigestWorker() = default;

bool clsDigestWorker::HoldsFiles() const {
    return m_FreeLanes.size() < m_Lanes.size() || m_Stream.piece.has_value();
}

void clsDigestWorker::Work(clsDigestQueue& queue) {
    while (!queue.Cancelled()) {
        FinishLanes(queue);
        if (m_Deferred) {
            const clsDigestQueue::Piece piece = std::move(*m_Deferred);
            m_Deferred.reset();
            Begin(queue, piece);
        }
        // New files go into free lanes, and one file at a time beside them. Holding no file, there is nothing
        // else to do than wait for a job; none then means the batch is over.
        bool over = false;
        while (!m_Deferred && !m_Stream.piece && (!UsesLanes() || !m_FreeLanes.empty())) {
            const bool idle = !HoldsFiles();
            const auto piece = queue.Claim(idle);
            if (!piece) {
                over = idle;
                break;
            }
            Begin(queue, *piece);
        }
        if (over) {
            break;
        }
        if (UsesLanes()) {
            FeedLanes(queue);
            m_MD5.Run();
        }
        // One chunk of the other file per pass: the lanes' small files are not held up by a large one.
        if (m_Stream.piece) {
            StepStream(queue);
        }
    }
    DropAll();
}

void clsDigestWorker::Abandon(clsDigestQueue& queue, const std::string& failure) {
    // Each failure is told on its own: one that cannot be told must not keep the others from it.
    for (std::size_t lane = 0; lane < m_Lanes.size(); ++lane) {
        if (m_MD5.IsOpen(lane)) {
            m_MD5.Drop(lane);
            try {
                queue.Fail(m_Lanes[lane].job, failure, m_Lanes[lane].bytes);
            } catch (...) {
            }
            CloseLane(lane);
        }
    }
    for (std::optional<clsDigestQueue::Piece>* held : {&m_Stream.piece, &m_Deferred}) {
        if (*held) {
            const clsDigestQueue::Piece piece = std::move(**held);
            held->reset();
            try {
                FailPiece(queue, piece, failure, 0);
            } catch (...) {
            }
        }
    }
    DropAll();
}

void clsDigestWorker::DropAll() {
    for (std::size_t lane = 0; lane < m_Lanes.size(); ++lane) {
        if (m_MD5.IsOpen(lane)) {
            m_MD5.Drop(lane);
            CloseLane(lane);
        }
    }
    m_StreamReader.Close();
    m_Stream = Stream{};
    m_Deferred.reset();
}

// An MD5 file goes into a lane and is hashed over the next passes; anything else becomes the stream.
void clsDigestWorker::Begin(clsDigestQueue& queue, const clsDigestQueue::Piece& piece) {
    try {
        if (piece.parts == 1 && UsesLanes() && piece.file.kind == DigestKind::MD5) {
            OpenLane(queue, piece);
        } else {
            StartStream(queue, piece);
        }
    } catch (...) {
        if (m_Stream.piece && m_Stream.piece->job == piece.job && m_Stream.piece->part == piece.part) {
            m_StreamReader.Close();
            m_Stream = Stream{};
        }
        FailPiece(queue, piece, FailureOf(std::current_exception()), 0);
    }
}

clsDigestWorker::Opened clsDigestWorker::OpenFile(clsDigestQueue& queue, clsFileReader& reader,
                                                  const clsDigestQueue::Piece& piece) {
    for (int attempt = 1;; ++attempt) {
        if (reader.Open(piece.file.path)) {
            return Opened::Yes;
        }
        const int error = reader.Error();
        if (IsTooManyOpenFiles(error) && !queue.Cancelled()) {
            // Out of descriptors: a readable file must not fail for it. With files of its own the worker
            // tries again once one of them is done; without, once other workers have closed theirs.
            if (HoldsFiles()) {
                m_Deferred = piece;
                return Opened::Later;
            }
            if (attempt < kOpenAttempts) {
                std::this_thread::sleep_for(kOpenPause);
                continue;
            }
        }
        FailPiece(queue, piece, ReadFailure(error), 0);
        return Opened::Failed;
    }
}

void clsDigestWorker::OpenLane(clsDigestQueue& queue, const clsDigestQueue::Piece& piece) {
    const std::size_t lane = m_FreeLanes.back();
    if (OpenFile(queue, m_Lanes[lane].reader, piece) != Opened::Yes) {
        return;
    }
    m_FreeLanes.pop_back();
    m_Lanes[lane].job = piece.job;
    m_Lanes[lane].bytes = 0;
    m_MD5.Open(lane);
}

// Lanes whose file has been read to its end and hashed as far as whole blocks go get their digest, all
// published together.
void clsDigestWorker::FinishLanes(clsDigestQueue& queue) {
    std::size_t finished = 0;
    for (std::size_t lane = 0; lane < m_Lanes.size(); ++lane) {
        Lane& state = m_Lanes[lane];
        if (!m_MD5.NeedsData(lane) || !state.reader.AtEnd()) {
            continue;
        }
        try {
            const clsMD5MultiBuffer::Digest digest = m_MD5.Finish(lane);
            WriteHexLower(digest.data(), digest.size(), state.text);
            m_Finished[finished++] = {state.job, std::string_view(state.text, sizeof state.text), state.bytes};
        } catch (...) {
            m_MD5.Drop(lane);
            queue.Fail(state.job, FailureOf(std::current_exception()), state.bytes);
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
        std::string failure;
        try {
            const std::int64_t got = state.reader.Read(state.buffer, m_LaneChunk);
            if (got >= 0) {
                state.bytes += static_cast<std::uint64_t>(got);
                queue.AddBytes(static_cast<std::uint64_t>(got));
                m_MD5.Submit(lane, state.buffer, static_cast<std::size_t>(got));
                continue;
            }
            failure = ReadFailure(state.reader.Error());
        } catch (...) {
            failure = FailureOf(std::current_exception());
        }
        m_MD5.Drop(lane);
        CloseLane(lane);
        queue.Fail(state.job, failure, state.bytes);
    }
}

void clsDigestWorker::CloseLane(std::size_t lane) {
    m_Lanes[lane].reader.Close();
    m_FreeLanes.push_back(lane);
}

unsigned char* clsDigestWorker::StreamBuffer() const {
    return m_Buffer.get() + m_Lanes.size() * m_LaneChunk;
}

void clsDigestWorker::StartStream(clsDigestQueue& queue, const clsDigestQueue::Piece& piece) {
    const bool part = piece.parts > 1;
    if (!part) {
        m_Digest.Start(piece.file.kind);
    }
    if (OpenFile(queue, m_StreamReader, piece) != Opened::Yes) {
        return;
    }
    const std::uint64_t partLength =
        part ? clsDigestQueue::PartLength(static_cast<std::uint64_t>(piece.file.length), piece.parts) : 0;
    if (part && !m_StreamReader.Seek(piece.part * partLength)) {
        const int error = m_StreamReader.Error();
        m_StreamReader.Close();
        FailPiece(queue, piece, ReadFailure(error), 0);
        return;
    }
    m_Stream.piece = piece;
    m_Stream.result = {};
    // A part ends where the next begins; the last part, like a whole file, where the file ends by now.
    m_Stream.left = part && piece.part + 1 < piece.parts ? partLength : std::numeric_limits<std::uint64_t>::max();
}

void clsDigestWorker::StepStream(clsDigestQueue& queue) {
    const clsDigestQueue::Piece& piece = *m_Stream.piece;
    if (queue.Cancelled()) {
        m_StreamReader.Close();
        m_Stream = Stream{};
        return;
    }
    try {
        unsigned char* buffer = StreamBuffer();
        const std::int64_t got = m_StreamReader.Read(
            buffer, static_cast<std::size_t>(std::min<std::uint64_t>(m_Stream.left, m_StreamChunk)));
        if (got < 0) {
            FinishStream(queue, ReadFailure(m_StreamReader.Error()));
            return;
        }
        const auto size = static_cast<std::size_t>(got);
        clsDigestQueue::PartResult& result = m_Stream.result;
        if (piece.parts > 1) {
            result.crc = piece.file.kind == DigestKind::CRC16
                             ? UpdateCRC16(static_cast<std::uint16_t>(result.crc), buffer, size)
                             : UpdateCRC32(result.crc, buffer, size);
        } else if (!m_Digest.Update(buffer, size)) {
            FinishStream(queue, clsStreamDigest::FailedMessage(piece.file.kind));
            return;
        }
        result.bytes += size;
        m_Stream.left -= size;
        queue.AddBytes(size);
        if (m_StreamReader.AtEnd() || m_Stream.left == 0) {
            FinishStream(queue, {});
        }
    } catch (...) {
        FinishStream(queue, FailureOf(std::current_exception()));
    }
}

void clsDigestWorker::FinishStream(clsDigestQueue& queue, const std::string& failure) {
    const clsDigestQueue::Piece piece = std::move(*m_Stream.piece);
    clsDigestQueue::PartResult result = std::move(m_Stream.result);
    m_Stream = Stream{};
    m_StreamReader.Close();
    if (piece.parts > 1) {
        result.failure = failure;
        FinishPart(queue, piece, result);
        return;
    }
    if (!failure.empty()) {
        queue.Fail(piece.job, failure, result.bytes);
        return;
    }
    char text[kMaxDigestText];
    const std::size_t length = m_Digest.Finish(text);
    if (length == 0) {
        queue.Fail(piece.job, clsStreamDigest::FailedMessage(piece.file.kind), result.bytes);
        return;
    }
    queue.Publish(piece.job, std::string_view(text, length), result.bytes);
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

void clsDigestWorker::FailPiece(clsDigestQueue& queue, const clsDigestQueue::Piece& piece, const std::string& failure,
                                std::uint64_t bytes) {
    if (piece.parts > 1) {
        clsDigestQueue::PartResult result;
        result.failure = failure;
        FinishPart(queue, piece, result);
        return;
    }
    queue.Fail(piece.job, failure, bytes);
}
