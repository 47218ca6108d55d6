// ferrule-check under the limits of a process: a large file given as a list is read as a stream, never
// whole; many workers stay within a low limit of open files.
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sys/wait.h>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

TEST(FerruleCheckPosix, LargeBinaryListUnderAMemoryLimit) {
    if (kSanitized) {
        GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
    }
    TempFolder dir;
    {
        std::ofstream out(dir.File("big.bin"), std::ios::binary);
        std::mt19937 random(60);
        std::string chunk(1 << 20, '\0');
        for (int mb = 0; mb < 60; ++mb) {
            for (char& c : chunk) {
                c = static_cast<char>(random());
            }
            out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        }
    }
    // 200 MB of address space: reading the list whole and converting it took several times its size.
    const std::string command =
        "cd '" + dir.Path() + "' && ulimit -v 200000 && '" FERRULE_CHECK_PATH "' big.bin >.out 2>.err";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    std::ifstream err(dir.File(".err"));
    const std::string message{std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>()};
    EXPECT_NE(message.find("nothing to check in big.bin"), std::string::npos) << message;
}

// CRC-32 (the zlib polynomial) bit by bit: slow, plain, and nothing to do with the checker's own.
std::uint32_t Crc32(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (const char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
        }
    }
    return ~crc;
}

// Eighty workers, each with up to sixteen MD5 lanes, on two thousand small MD5 files beside CRC-32 and
// SHA-256 ones, with 256 descriptors or fewer allowed (soft and hard limit alike): every file is read and
// found correct, none is lost to "too many open files".
TEST(FerruleCheckPosix, ManyWorkersUnderALowOpenFileLimit) {
    TempFolder dir;
    std::mt19937 random(256);
    std::string crcList;
    for (int i = 0; i < 2000 + 8; ++i) {
        std::string bytes = "file " + std::to_string(i) + "\n";
        bytes.append(random() % 3000, static_cast<char>('a' + i % 26));
        std::string name(1, i < 2000 ? 'm' : i < 2004 ? 'c' : 's');
        name += std::to_string(i) + ".bin";
        dir.Write(name, bytes);
        if (name[0] == 'c') {
            char digest[9];
            std::snprintf(digest, sizeof digest, "%08X", static_cast<unsigned>(Crc32(bytes)));
            crcList += name + " " + digest + "\n";
        }
    }
    dir.Write("crc.sfv", crcList);
    const std::string lists = "cd '" + dir.Path() + "' && md5sum m*.bin >sums.md5 && sha256sum s*.bin >sums.sha256";
    ASSERT_EQ(std::system(lists.c_str()), 0);
    // Lower limits too: how many files a pool that ignores the limit holds at once depends on timing.
    for (const int limit : {256, 128, 64}) {
        SCOPED_TRACE("ulimit -n " + std::to_string(limit));
        const std::string command = "cd '" + dir.Path() + "' && /bin/sh -c 'ulimit -n " + std::to_string(limit) +
                                    " && exec \"$0\" --jobs 80 sums.md5 crc.sfv sums.sha256' '" + FERRULE_CHECK_PATH +
                                    "' >.out 2>.err";
        const int raw = std::system(command.c_str());
        std::ifstream out(dir.File(".out"));
        std::ifstream err(dir.File(".err"));
        const std::string errors{std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>()};
        ASSERT_TRUE(WIFEXITED(raw));
        EXPECT_EQ(WEXITSTATUS(raw), 0) << errors;
        int correct = 0;
        std::string wrong;
        for (std::string line; std::getline(out, line);) {
            if (line.starts_with("○ ")) {
                ++correct;
            } else {
                for (const char* mark : {"△ ", "▲ ", "× ", "？ "}) {
                    if (line.starts_with(mark)) {
                        wrong += line + "\n";
                    }
                }
            }
        }
        EXPECT_EQ(correct, 2008);
        EXPECT_EQ(wrong, "");
    }
}

} // namespace
