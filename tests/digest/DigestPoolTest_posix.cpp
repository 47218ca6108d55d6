// Files that only POSIX systems have fail in the pool as in the file digest functions, among good ones: a pipe
// under a listed name (which must not block a worker) and a file that opens but cannot be read.
#include "DigestPoolTestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

TEST(DigestPoolPosix, SpecialFilesFailInOrder) {
    TempFolder folder;
    std::mt19937 random(20);
    ASSERT_EQ(::mkfifo(folder.File("pipe.bin").c_str(), 0600), 0);
    std::vector<std::string> paths = {WriteRandomFile(folder, "a.bin", 5000, random), folder.File("pipe.bin"),
                                      WriteRandomFile(folder, "b.bin", 70000, random)};
    if (std::filesystem::exists("/proc/self/mem")) {
        paths.push_back("/proc/self/mem");
    }
    const std::vector<DigestJob> jobs = EveryKindOfEveryFile(paths);
    const std::vector<Outcome> expected = FileFunctionOutcomes(jobs);
    for (const unsigned workers : {1u, 3u}) {
        clsDigestPool pool(workers);
        pool.Start(jobs);
        for (std::size_t i = 0; i < jobs.size(); ++i) {
            ASSERT_EQ(PoolOutcome(pool, i), expected[i]) << jobs[i].path << " kind " << jobs[i].kind;
            ASSERT_EQ(!expected[i].failed,
                      jobs[i].path.find(".bin") != std::string::npos && jobs[i].path.find("pipe") == std::string::npos);
        }
    }
}

} // namespace
