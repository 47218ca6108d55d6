#include "digest/clsMD5MultiBuffer.h"

#include "digest/DigestText.h"
#include "digest/MD5Block.h"
#include "digest/MD5Lanes.h"
#include "digest/clsMD5Context.h"
#include "util/AppError.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

namespace {

constexpr std::size_t kBlock = 64;

struct EngineInfo {
    MD5LanesKernel kernel;
    std::size_t lanes;
    std::size_t oneStreamBelow;
};

EngineInfo InfoOf(clsMD5MultiBuffer::Engine engine) {
    switch (engine) {
#if defined(FERRULE_MD5_VECTOR)
        // Measured on one core (bench_md5lanes): two interleaved sets of AVX2 registers hash a fifth to a
        // third more than one, AVX-512 gains nothing from a second set. A pass costs the same however few
        // lanes are busy: with one or two, our one-stream block function is faster.
        case clsMD5MultiBuffer::Engine::AVX2:
            return {MD5LanesAVX2x2, 16, 3};
        case clsMD5MultiBuffer::Engine::AVX512:
            return {MD5LanesAVX512x1, 16, 3};
#endif
        default:
            return {nullptr, 1, 0};
    }
}

bool ProcessorRuns(clsMD5MultiBuffer::Engine engine) {
#if defined(FERRULE_MD5_VECTOR)
    // The processor's answer includes the system's: features whose registers it does not save read as absent.
    __builtin_cpu_init();
    switch (engine) {
        case clsMD5MultiBuffer::Engine::AVX2:
            return __builtin_cpu_supports("avx2");
        case clsMD5MultiBuffer::Engine::AVX512:
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                   __builtin_cpu_supports("avx512vl");
        default:
            break;
    }
#endif
    return engine == clsMD5MultiBuffer::Engine::Scalar;
}

[[noreturn]] void RaiseMisuse() {
    RaiseError(ErrorNumber::InvalidArgument, "プロシージャの呼び出し、または引数が不正です。");
}

} // namespace

bool clsMD5MultiBuffer::Runs(Engine engine) {
    return ProcessorRuns(engine);
}

clsMD5MultiBuffer::Engine clsMD5MultiBuffer::Chosen() {
    constexpr Engine kAll[] = {Engine::Scalar, Engine::AVX2, Engine::AVX512};
    if (const char* forced = std::getenv("FERRULE_MD5_LANES")) {
        for (const Engine engine : kAll) {
            if (std::string_view(forced) == Name(engine) && Runs(engine)) {
                return engine;
            }
        }
    }
    for (const Engine engine : {Engine::AVX512, Engine::AVX2}) {
        if (Runs(engine)) {
            return engine;
        }
    }
    return Engine::Scalar;
}

const char* clsMD5MultiBuffer::Name(Engine engine) {
    switch (engine) {
        case Engine::AVX2:
            return "avx2";
        case Engine::AVX512:
            return "avx512";
        default:
            return "scalar";
    }
}

clsMD5MultiBuffer::clsMD5MultiBuffer(Engine engine) : m_Engine(engine) {
    if (!Runs(engine)) {
        RaiseError(ErrorNumber::DigestFailed, kMD5FailedMessage);
    }
    const EngineInfo info = InfoOf(engine);
    m_Kernel = info.kernel;
    m_OneStreamBelow = info.oneStreamBelow;
    m_Lanes.resize(info.lanes);
    m_State.resize(4 * info.lanes);
    m_Blocks.resize(info.lanes);
    if (m_Kernel == nullptr) {
        m_Streams.resize(info.lanes);
    }
}

clsMD5MultiBuffer::~clsMD5MultiBuffer() = default;

clsMD5MultiBuffer::Lane& clsMD5MultiBuffer::At(std::size_t lane) {
    if (lane >= m_Lanes.size()) {
        RaiseError(ErrorNumber::SubscriptOutOfRange, "インデックスが有効範囲にありません。");
    }
    return m_Lanes[lane];
}

const clsMD5MultiBuffer::Lane& clsMD5MultiBuffer::At(std::size_t lane) const {
    return const_cast<clsMD5MultiBuffer*>(this)->At(lane);
}

void clsMD5MultiBuffer::Open(std::size_t lane) {
    Lane& state = At(lane);
    if (state.open) {
        RaiseMisuse();
    }
    if (m_Kernel == nullptr) {
        m_Streams[lane] = std::make_unique<clsMD5Context>();
    }
    state = Lane{};
    state.open = true;
    for (std::size_t j = 0; j < 4; ++j) {
        m_State[j * m_Lanes.size() + lane] = kMD5Initial[j];
    }
}

bool clsMD5MultiBuffer::IsOpen(std::size_t lane) const {
    return At(lane).open;
}

bool clsMD5MultiBuffer::NeedsData(std::size_t lane) const {
    const Lane& state = At(lane);
    // Settled lanes hold a span only next to a full buffer, or of at least a block.
    return state.open && state.fill < kBlock && state.spanSize == 0;
}

void clsMD5MultiBuffer::Submit(std::size_t lane, const unsigned char* data, std::size_t size) {
    if (!NeedsData(lane)) {
        RaiseMisuse();
    }
    Lane& state = m_Lanes[lane];
    state.length += size;
    if (m_Kernel == nullptr) {
        if (!m_Streams[lane]->Update(data, size)) {
            RaiseError(ErrorNumber::DigestFailed, kMD5FailedMessage);
        }
        return;
    }
    if (state.fill > 0 && size > 0) {
        const std::size_t take = std::min(kBlock - state.fill, size);
        std::memcpy(state.buffer + state.fill, data, take);
        state.fill += take;
        data += take;
        size -= take;
    }
    state.span = size > 0 ? data : nullptr;
    state.spanSize = size;
    Settle(lane);
}

// Moves a span shorter than a block into the buffer once the buffer is free, so that a lane needing data
// holds no pointer to the caller's bytes.
void clsMD5MultiBuffer::Settle(std::size_t lane) {
    Lane& state = m_Lanes[lane];
    if (state.fill == 0 && state.spanSize > 0 && state.spanSize < kBlock) {
        std::memcpy(state.buffer, state.span, state.spanSize);
        state.fill = state.spanSize;
        state.span = nullptr;
        state.spanSize = 0;
    }
}

// Marks `blocks` blocks of a busy lane as hashed: the buffer's one block, or blocks at the start of the span.
void clsMD5MultiBuffer::Consume(std::size_t lane, std::size_t blocks) {
    Lane& state = m_Lanes[lane];
    if (state.fill == kBlock) {
        state.fill = 0;
    } else {
        state.span += blocks * kBlock;
        state.spanSize -= blocks * kBlock;
        if (state.spanSize == 0) {
            state.span = nullptr;
        }
    }
    Settle(lane);
}

void clsMD5MultiBuffer::Run(std::size_t minBusy) {
    if (m_Kernel == nullptr) {
        return; // the Scalar engine hashes as bytes arrive
    }
    const std::size_t lanes = m_Lanes.size();
    // Never more than the open lanes: the caller cannot make more lanes busy than that.
    minBusy = std::min(minBusy, static_cast<std::size_t>(std::count_if(m_Lanes.begin(), m_Lanes.end(),
                                                                       [](const Lane& l) { return l.open; })));
    for (;;) {
        // One batch: as many passes as the busy lane with the fewest blocks in one piece has.
        std::uint32_t mask = 0;
        std::size_t busy = 0;
        std::size_t passes = std::numeric_limits<std::size_t>::max();
        for (std::size_t i = 0; i < lanes; ++i) {
            const Lane& state = m_Lanes[i];
            if (!state.open || NeedsData(i)) {
                continue;
            }
            const bool buffered = state.fill == kBlock;
            m_Blocks[i] = buffered ? state.buffer : state.span;
            passes = std::min(passes, buffered ? std::size_t{1} : state.spanSize / kBlock);
            mask |= std::uint32_t{1} << i;
            ++busy;
        }
        if (busy == 0 || busy < minBusy) {
            return;
        }
        if (busy < m_OneStreamBelow) {
            // For so few lanes, one stream each is faster than passes over mostly idle lanes.
            for (std::size_t i = 0; i < lanes; ++i) {
                if ((mask >> i) & 1U) {
                    const Lane& state = m_Lanes[i];
                    const std::size_t blocks = state.fill == kBlock ? 1 : state.spanSize / kBlock;
                    std::uint32_t words[4];
                    MD5CompressBlocks(LaneState(i, words), m_Blocks[i], blocks);
                    StoreLaneState(i, words);
                    Consume(i, blocks);
                }
            }
            continue;
        }
        m_Kernel(m_State.data(), m_Blocks.data(), mask, passes);
        for (std::size_t i = 0; i < lanes; ++i) {
            if ((mask >> i) & 1U) {
                Consume(i, passes);
            }
        }
    }
}

std::uint32_t* clsMD5MultiBuffer::LaneState(std::size_t lane, std::uint32_t (&words)[4]) {
    for (std::size_t j = 0; j < 4; ++j) {
        words[j] = m_State[j * m_Lanes.size() + lane];
    }
    return words;
}

void clsMD5MultiBuffer::StoreLaneState(std::size_t lane, const std::uint32_t (&words)[4]) {
    for (std::size_t j = 0; j < 4; ++j) {
        m_State[j * m_Lanes.size() + lane] = words[j];
    }
}

clsMD5MultiBuffer::Digest clsMD5MultiBuffer::Finish(std::size_t lane) {
    Lane& state = At(lane);
    if (!state.open) {
        RaiseMisuse();
    }
    Digest digest{};
    if (m_Kernel == nullptr) {
        const std::unique_ptr<clsMD5Context> stream = std::move(m_Streams[lane]);
        state.open = false;
        if (!stream->Final(digest)) {
            RaiseError(ErrorNumber::DigestFailed, kMD5FailedMessage);
        }
        return digest;
    }
    std::uint32_t words[4];
    LaneState(lane, words);
    if (state.fill == kBlock) {
        MD5CompressBlocks(words, state.buffer, 1);
        state.fill = 0;
    }
    if (state.spanSize >= kBlock) {
        MD5CompressBlocks(words, state.span, state.spanSize / kBlock);
        Consume(lane, state.spanSize / kBlock);
    }
    Settle(lane);
    // Padding: a one bit, zeros up to 56 bytes into a block, then the length in bits, little-endian.
    unsigned char* block = state.buffer;
    block[state.fill] = 0x80;
    std::memset(block + state.fill + 1, 0, kBlock - state.fill - 1);
    if (state.fill >= kBlock - 8) {
        MD5CompressBlocks(words, block, 1);
        std::memset(block, 0, kBlock);
    }
    const std::uint64_t bits = state.length * 8;
    for (std::size_t k = 0; k < 8; ++k) {
        block[kBlock - 8 + k] = static_cast<unsigned char>(bits >> (8 * k));
    }
    MD5CompressBlocks(words, block, 1);
    for (std::size_t j = 0; j < 4; ++j) {
        for (std::size_t k = 0; k < 4; ++k) {
            digest[4 * j + k] = static_cast<std::uint8_t>(words[j] >> (8 * k));
        }
    }
    state = Lane{};
    return digest;
}

clsMD5MultiBuffer::Parked clsMD5MultiBuffer::Park(std::size_t lane) {
    if (!NeedsData(lane) || m_Kernel == nullptr) {
        RaiseMisuse();
    }
    Lane& state = m_Lanes[lane];
    Parked parked;
    LaneState(lane, parked.words);
    parked.length = state.length;
    parked.fill = state.fill;
    std::memcpy(parked.buffer, state.buffer, state.fill);
    state = Lane{};
    return parked;
}

void clsMD5MultiBuffer::Resume(std::size_t lane, const Parked& parked) {
    Lane& state = At(lane);
    if (state.open || m_Kernel == nullptr || parked.fill >= kBlock) {
        RaiseMisuse();
    }
    state = Lane{};
    state.open = true;
    state.length = parked.length;
    state.fill = parked.fill;
    std::memcpy(state.buffer, parked.buffer, parked.fill);
    StoreLaneState(lane, parked.words);
}

void clsMD5MultiBuffer::Drop(std::size_t lane) {
    At(lane) = Lane{};
    if (m_Kernel == nullptr) {
        m_Streams[lane].reset();
    }
}
