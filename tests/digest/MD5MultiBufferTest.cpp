// The multi-buffer MD5 against one-stream MD5 (the digest library), on every engine this processor runs:
// lengths around the block and padding edges, streams cut into chunks at random, lanes ending at different
// times and opened again while the others go on.
#include "digest/MD5Block.h"
#include "digest/MD5Lanes.h"
#include "digest/clsMD5Context.h"
#include "digest/clsMD5MultiBuffer.h"
#include "util/AppError.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using Engine = clsMD5MultiBuffer::Engine;
using Bytes = std::vector<unsigned char>;

std::vector<Engine> EnginesHere() {
    std::vector<Engine> engines;
    for (const Engine engine : {Engine::Scalar, Engine::AVX2, Engine::AVX512}) {
        if (clsMD5MultiBuffer::Runs(engine)) {
            engines.push_back(engine);
        }
    }
    return engines;
}

Bytes RandomBytes(std::mt19937& random, std::size_t size) {
    Bytes bytes(size);
    for (unsigned char& byte : bytes) {
        byte = static_cast<unsigned char>(random());
    }
    return bytes;
}

clsMD5MultiBuffer::Digest Reference(const Bytes& bytes) {
    clsMD5Context context;
    EXPECT_TRUE(context.Update(bytes.data(), bytes.size()));
    clsMD5Context::Digest digest{};
    EXPECT_TRUE(context.Final(digest));
    return digest;
}

// How a test drives the engine, as a pool of file readers would.
struct Feeding {
    const char* name;
    std::size_t maxChunk;  // chunks of 1 .. maxChunk bytes (0: the whole stream at once)
    std::size_t minBusy;   // given to Run (0: its default)
    std::size_t lanesUsed; // at most this many lanes open at once (0: all)
    bool emptyChunks;      // also submit empty chunks now and then
};

// Hashes every stream, lanes refilled with the next stream as soon as one finishes. Each chunk lives in its
// own allocation, freed as soon as the lane asks for more: the engine must not read a chunk after that.
std::vector<clsMD5MultiBuffer::Digest> HashStreams(Engine engine, const std::vector<Bytes>& streams,
                                                   const Feeding& feeding, std::mt19937& random) {
    clsMD5MultiBuffer md5(engine);
    const std::size_t lanes = feeding.lanesUsed == 0 ? md5.Lanes() : std::min(feeding.lanesUsed, md5.Lanes());
    struct LaneJob {
        std::size_t stream = 0;
        std::size_t offset = 0;
        std::unique_ptr<unsigned char[]> chunk;
    };
    std::vector<LaneJob> jobs(lanes);
    std::vector<clsMD5MultiBuffer::Digest> digests(streams.size());
    std::size_t nextStream = 0;
    std::size_t finished = 0;
    while (finished < streams.size()) {
        for (std::size_t lane = 0; lane < lanes; ++lane) {
            LaneJob& job = jobs[lane];
            if (md5.IsOpen(lane) && !md5.NeedsData(lane)) {
                continue;
            }
            job.chunk.reset();
            if (md5.IsOpen(lane) && job.offset == streams[job.stream].size()) {
                digests[job.stream] = md5.Finish(lane);
                ++finished;
            }
            if (!md5.IsOpen(lane)) {
                if (nextStream == streams.size()) {
                    continue;
                }
                md5.Open(lane);
                job = LaneJob{nextStream++, 0, nullptr};
            }
            const Bytes& stream = streams[job.stream];
            std::size_t size = stream.size() - job.offset;
            if (feeding.maxChunk > 0) {
                size = std::min(size, std::size_t{1} + random() % feeding.maxChunk);
            }
            if (feeding.emptyChunks && random() % 4 == 0) {
                size = 0;
            }
            job.chunk.reset(new unsigned char[size + 1]);
            std::copy(stream.begin() + static_cast<std::ptrdiff_t>(job.offset),
                      stream.begin() + static_cast<std::ptrdiff_t>(job.offset + size), job.chunk.get());
            md5.Submit(lane, job.chunk.get(), size);
            job.offset += size;
        }
        if (feeding.minBusy == 0) {
            md5.Run();
        } else {
            md5.Run(feeding.minBusy);
        }
    }
    return digests;
}

const Feeding kFeedings[] = {
    {"whole streams, every lane", 0, 0, 0, false},
    {"whole streams, one lane", 0, 0, 1, false},
    {"whole streams, three lanes", 0, 0, 3, false},
    {"chunks up to 100 bytes", 100, 0, 0, true},
    {"chunks up to 5000 bytes, run while one lane is busy", 5000, 1, 0, true},
    {"chunks up to 70000 bytes, run while eight lanes are busy", 70000, 8, 0, false},
    {"chunks up to 300 bytes, five lanes, run while one is busy", 300, 1, 5, true},
};

void ExpectSameDigests(const std::vector<Bytes>& streams, std::mt19937& random) {
    std::vector<clsMD5MultiBuffer::Digest> expected;
    for (const Bytes& stream : streams) {
        expected.push_back(Reference(stream));
    }
    for (const Engine engine : EnginesHere()) {
        for (const Feeding& feeding : kFeedings) {
            SCOPED_TRACE(std::string(clsMD5MultiBuffer::Name(engine)) + ": " + feeding.name);
            const auto digests = HashStreams(engine, streams, feeding, random);
            for (std::size_t i = 0; i < streams.size(); ++i) {
                ASSERT_EQ(digests[i], expected[i]) << "stream " << i << " of " << streams[i].size() << " bytes";
            }
        }
    }
}

TEST(MD5MultiBuffer, EdgeLengthsInEveryLane) {
    std::mt19937 random(1);
    std::vector<Bytes> streams;
    // Every edge length in many positions: lanes end at different times and are reopened mid-pass.
    for (int round = 0; round < 3; ++round) {
        for (const std::size_t size : {0, 1, 55, 56, 57, 63, 64, 65, 119, 120, 127, 128, 129, 4095, 4096, 4097}) {
            streams.push_back(RandomBytes(random, size));
        }
    }
    ExpectSameDigests(streams, random);
}

TEST(MD5MultiBuffer, RandomLengths) {
    std::mt19937 random(2);
    std::vector<Bytes> streams;
    for (int i = 0; i < 120; ++i) {
        const std::size_t limit = i % 10 == 0 ? 200000 : 5000;
        streams.push_back(RandomBytes(random, random() % limit));
    }
    ExpectSameDigests(streams, random);
}

// Published answers (RFC 1321), in lanes opened at different times.
TEST(MD5MultiBuffer, KnownAnswers) {
    const std::pair<std::string, std::string> answers[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const Engine engine : EnginesHere()) {
        SCOPED_TRACE(clsMD5MultiBuffer::Name(engine));
        clsMD5MultiBuffer md5(engine);
        for (const auto& [text, hex] : answers) {
            const std::size_t lane = md5.Lanes() - 1;
            md5.Open(lane);
            md5.Submit(lane, reinterpret_cast<const unsigned char*>(text.data()), text.size());
            md5.Run();
            std::string digest;
            for (const std::uint8_t byte : md5.Finish(lane)) {
                digest += "0123456789abcdef"[byte >> 4];
                digest += "0123456789abcdef"[byte & 15];
            }
            EXPECT_EQ(digest, hex) << text;
        }
    }
}

// A dropped lane leaves the others untouched and is ready for a new stream.
TEST(MD5MultiBuffer, DropLane) {
    std::mt19937 random(3);
    const Bytes kept = RandomBytes(random, 10000);
    const Bytes dropped = RandomBytes(random, 10000);
    const Bytes reopened = RandomBytes(random, 777);
    for (const Engine engine : EnginesHere()) {
        SCOPED_TRACE(clsMD5MultiBuffer::Name(engine));
        clsMD5MultiBuffer md5(engine);
        const std::size_t other = md5.Lanes() - 1;
        md5.Open(0);
        md5.Submit(0, kept.data(), 5000);
        if (other != 0) {
            md5.Open(other);
            md5.Submit(other, dropped.data(), dropped.size());
        }
        md5.Run(1);
        md5.Drop(other);
        EXPECT_FALSE(md5.IsOpen(other));
        md5.Open(other);
        md5.Submit(other, reopened.data(), reopened.size());
        if (other != 0) {
            md5.Submit(0, kept.data() + 5000, kept.size() - 5000);
        }
        md5.Run(1);
        EXPECT_EQ(md5.Finish(other), Reference(reopened));
        if (other != 0) {
            EXPECT_EQ(md5.Finish(0), Reference(kept));
        }
    }
}

// Streams parked in the middle of a block and resumed in another lane, more streams than lanes taking turns,
// give the one-stream digests.
TEST(MD5MultiBuffer, ParkedStreamsGoOnInAnyLane) {
    std::mt19937 random(4);
    for (const Engine engine : EnginesHere()) {
        clsMD5MultiBuffer md5(engine);
        if (md5.Lanes() < 2) {
            EXPECT_THROW(static_cast<void>(md5.Park(0)), AppError) << "one-stream MD5 keeps its streams";
            continue;
        }
        SCOPED_TRACE(clsMD5MultiBuffer::Name(engine));
        const std::size_t streams = md5.Lanes() * 2 + 3;
        std::vector<Bytes> data;
        std::vector<std::size_t> done(streams, 0);
        std::vector<std::optional<clsMD5MultiBuffer::Parked>> parked(streams);
        for (std::size_t i = 0; i < streams; ++i) {
            data.push_back(RandomBytes(random, 1 + random() % 5000));
        }
        // Rounds: every stream gets a lane in turn, takes a piece of up to 700 bytes (so mostly ends mid-block),
        // is hashed and parked again.
        for (bool left = true; left;) {
            left = false;
            for (std::size_t first = 0; first < streams; first += md5.Lanes()) {
                const std::size_t count = std::min(md5.Lanes(), streams - first);
                for (std::size_t k = 0; k < count; ++k) {
                    const std::size_t stream = first + k;
                    const std::size_t lane = (k + first / md5.Lanes()) % md5.Lanes(); // another lane each round
                    parked[stream] ? md5.Resume(lane, *parked[stream]) : md5.Open(lane);
                    const std::size_t size = std::min<std::size_t>(random() % 700, data[stream].size() - done[stream]);
                    md5.Submit(lane, data[stream].data() + done[stream], size);
                    done[stream] += size;
                }
                md5.Run(1);
                for (std::size_t k = 0; k < count; ++k) {
                    const std::size_t stream = first + k;
                    const std::size_t lane = (k + first / md5.Lanes()) % md5.Lanes();
                    parked[stream] = md5.Park(lane);
                    EXPECT_FALSE(md5.IsOpen(lane));
                    left = left || done[stream] < data[stream].size();
                }
            }
        }
        for (std::size_t stream = 0; stream < streams; ++stream) {
            md5.Resume(0, *parked[stream]);
            EXPECT_EQ(md5.Finish(0), Reference(data[stream])) << stream;
        }
    }
}

#if defined(FERRULE_MD5_VECTOR)
// Every kernel, also those the engine does not use, against the one-stream block function: busy lanes move
// on, idle lanes keep their chaining value whatever their pointer says.
TEST(MD5MultiBuffer, KernelsMatchOneStream) {
    struct Kernel {
        const char* name;
        MD5LanesKernel kernel;
        Engine needs;
        std::size_t lanes;
    };
    const Kernel kernels[] = {
        {"AVX2x1", MD5LanesAVX2x1, Engine::AVX2, 8},
        {"AVX2x2", MD5LanesAVX2x2, Engine::AVX2, 16},
        {"AVX512x1", MD5LanesAVX512x1, Engine::AVX512, 16},
        {"AVX512x2", MD5LanesAVX512x2, Engine::AVX512, 32},
    };
    std::mt19937 random(4);
    for (const Kernel& kernel : kernels) {
        if (!clsMD5MultiBuffer::Runs(kernel.needs)) {
            continue;
        }
        SCOPED_TRACE(kernel.name);
        for (const std::uint32_t mask :
             {0xFFFFFFFFU, 1U, 0x80000001U, 0x5A5A5A5AU, static_cast<std::uint32_t>(random())}) {
            const std::size_t blocks = 1 + random() % 5;
            std::vector<Bytes> data;
            std::vector<const unsigned char*> pointers;
            std::vector<std::uint32_t> state(4 * kernel.lanes);
            for (std::size_t lane = 0; lane < kernel.lanes; ++lane) {
                data.push_back(RandomBytes(random, 64 * blocks));
                // Idle lanes point nowhere: the kernel must not read them.
                pointers.push_back(((mask >> lane) & 1U) != 0 ? data.back().data() : nullptr);
                for (std::size_t j = 0; j < 4; ++j) {
                    state[j * kernel.lanes + lane] = static_cast<std::uint32_t>(random());
                }
            }
            std::vector<std::uint32_t> expected = state;
            for (std::size_t lane = 0; lane < kernel.lanes; ++lane) {
                if (((mask >> lane) & 1U) != 0) {
                    std::uint32_t words[4];
                    for (std::size_t j = 0; j < 4; ++j) {
                        words[j] = expected[j * kernel.lanes + lane];
                    }
                    MD5CompressBlocks(words, data[lane].data(), blocks);
                    for (std::size_t j = 0; j < 4; ++j) {
                        expected[j * kernel.lanes + lane] = words[j];
                    }
                }
            }
            kernel.kernel(state.data(), pointers.data(), mask, blocks);
            EXPECT_EQ(state, expected) << "mask " << std::hex << mask;
        }
    }
}
#endif

void ExpectError(std::int32_t number, const std::function<void()>& action) {
    try {
        action();
        ADD_FAILURE() << "no error";
    } catch (const AppError& error) {
        EXPECT_EQ(error.Number(), number);
    }
}

TEST(MD5MultiBuffer, RefusesMisuse) {
    const Bytes bytes(1000, 'x');
    for (const Engine engine : EnginesHere()) {
        SCOPED_TRACE(clsMD5MultiBuffer::Name(engine));
        clsMD5MultiBuffer md5(engine);
        ExpectError(ErrorNumber::SubscriptOutOfRange, [&] { md5.Open(md5.Lanes()); });
        ExpectError(ErrorNumber::InvalidArgument, [&] { md5.Submit(0, bytes.data(), 1); });
        ExpectError(ErrorNumber::InvalidArgument, [&] { md5.Finish(0); });
        md5.Open(0);
        ExpectError(ErrorNumber::InvalidArgument, [&] { md5.Open(0); });
        md5.Submit(0, bytes.data(), bytes.size());
        if (!md5.NeedsData(0)) {
            ExpectError(ErrorNumber::InvalidArgument, [&] { md5.Submit(0, bytes.data(), 1); });
        }
        EXPECT_EQ(md5.Finish(0), Reference(bytes));
    }
}

// The environment variable picks any engine that runs here, and nothing else.
TEST(MD5MultiBuffer, EngineFromEnvironment) {
    const auto setVariable = [](const char* value) {
#if defined(_WIN32)
        _putenv_s("FERRULE_MD5_LANES", value);
#else
        setenv("FERRULE_MD5_LANES", value, 1);
#endif
    };
    const char* saved = std::getenv("FERRULE_MD5_LANES");
    const std::string savedValue = saved != nullptr ? saved : "";
    setVariable("none of them");
    const Engine best = clsMD5MultiBuffer::Chosen();
    EXPECT_EQ(best, EnginesHere().back());
    for (const Engine engine : {Engine::Scalar, Engine::AVX2, Engine::AVX512}) {
        setVariable(clsMD5MultiBuffer::Name(engine));
        EXPECT_EQ(clsMD5MultiBuffer::Chosen(), clsMD5MultiBuffer::Runs(engine) ? engine : best);
        EXPECT_EQ(clsMD5MultiBuffer().GetEngine(), clsMD5MultiBuffer::Chosen());
    }
    setVariable(savedValue.c_str());
}

} // namespace
