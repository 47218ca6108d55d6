// ferrule-check under a memory limit: a large file given as a list is read as a stream, never whole.
#include "TempFolder.h"

#include <gtest/gtest.h>

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

} // namespace
