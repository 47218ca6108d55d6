// Multi-buffer MD5: many independent streams, one per lane (typically one file each), hashed together with
// one block of every busy lane per pass of vector instructions.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

class clsMD5Context;

/// Usage, one thread per object: Open a lane, Submit the stream's bytes in chunks of any length whenever
/// NeedsData says so, Run to hash, Finish for the digest; the lane is then free for the next stream while the
/// others go on. Every engine gives the digests of one-stream MD5, bit for bit.
class clsMD5MultiBuffer {
public:
    using Digest = std::array<std::uint8_t, 16>;

    /// How the lanes are hashed: Scalar is the one-stream MD5 of the digest library with a single lane;
    /// AVX2 and AVX512 hash 16 lanes, in two interleaved sets of 8 or in one set of 16 per register.
    enum class Engine { Scalar, AVX2, AVX512 };

    /// True when this build has the engine and this processor runs it.
    static bool Runs(Engine engine);

    /// The engine to use: the one named by the environment variable FERRULE_MD5_LANES ("scalar", "avx2",
    /// "avx512") when it runs here, else the fastest one that runs.
    static Engine Chosen();

    /// The engine's name as FERRULE_MD5_LANES spells it.
    static const char* Name(Engine engine);

    /// An object with every lane closed. Raises the digest error when the engine does not run here.
    explicit clsMD5MultiBuffer(Engine engine = Chosen());
    ~clsMD5MultiBuffer();
    clsMD5MultiBuffer(const clsMD5MultiBuffer&) = delete;
    clsMD5MultiBuffer& operator=(const clsMD5MultiBuffer&) = delete;

    Engine GetEngine() const { return m_Engine; }

    /// Number of lanes, numbered from 0: 1 (Scalar) or 16.
    std::size_t Lanes() const { return m_Lanes.size(); }

    /// Starts a new, empty stream in a closed lane.
    void Open(std::size_t lane);

    /// True when `lane` is open.
    bool IsOpen(std::size_t lane) const;

    /// True when `lane` is open and holds less than a whole block: it takes part in no pass until it is given
    /// more bytes or finished.
    bool NeedsData(std::size_t lane) const;

    /// Hands over the next `size` bytes (any number, 0 too) of the lane's stream; only while NeedsData(lane).
    /// The bytes are read in place, not copied: they must stay valid and unchanged until NeedsData(lane) is
    /// true again or the lane is finished or dropped. The engine copies the last part of a block itself.
    void Submit(std::size_t lane, const unsigned char* data, std::size_t size);

    /// Hashes the whole blocks that the open lanes hold, pass after pass, for as long as at least `minBusy`
    /// lanes still hold one, or all open lanes if fewer are open. By default it returns as soon as one open
    /// lane needs data; 1 hashes everything held. Lanes without a block sit a pass out; with only a few busy
    /// lanes it hashes them one stream at a time, which is then faster.
    void Run(std::size_t minBusy = std::numeric_limits<std::size_t>::max());

    /// Ends the lane's stream and closes the lane: hashes what it still holds (one stream at a time), then
    /// the padding and the length. Returns the digest, byte 0 first. Raises the digest error when the
    /// digest library fails.
    Digest Finish(std::size_t lane);

    /// Closes the lane without a digest (a file that failed to read, a cancelled check).
    void Drop(std::size_t lane);

    /// A stream taken out of its lane, to go on later in any lane of an engine of the same kind.
    struct Parked {
        std::uint32_t words[4] = {};
        std::uint64_t length = 0;
        std::size_t fill = 0;
        unsigned char buffer[64] = {};
    };

    /// Takes the stream out of `lane`, which is then closed; only while NeedsData(lane). More streams than
    /// lanes can so take turns: a lane is never idle while some stream has bytes to hash.
    Parked Park(std::size_t lane);

    /// Goes on with a parked stream in the closed `lane`.
    void Resume(std::size_t lane, const Parked& parked);

private:
    struct Lane {
        const unsigned char* span = nullptr; // bytes submitted and still to hash, read in place
        std::size_t spanSize = 0;
        std::uint64_t length = 0; // bytes submitted since Open
        std::size_t fill = 0;     // bytes in buffer
        bool open = false;
        alignas(64) unsigned char buffer[64] = {}; // a block being gathered across submissions
    };

    Lane& At(std::size_t lane);
    const Lane& At(std::size_t lane) const;
    void Settle(std::size_t lane);
    void Consume(std::size_t lane, std::size_t blocks);
    std::uint32_t* LaneState(std::size_t lane, std::uint32_t (&words)[4]);
    void StoreLaneState(std::size_t lane, const std::uint32_t (&words)[4]);

    Engine m_Engine = Engine::Scalar;
    void (*m_Kernel)(std::uint32_t*, const unsigned char* const*, std::uint32_t, std::size_t) = nullptr;
    std::size_t m_OneStreamBelow = 0; // fewer busy lanes than this are hashed one at a time
    std::vector<Lane> m_Lanes;
    std::vector<std::uint32_t> m_State; // word j of lane i at [j * lanes + i]
    std::vector<const unsigned char*> m_Blocks;
    std::vector<std::unique_ptr<clsMD5Context>> m_Streams; // the Scalar engine's
};
