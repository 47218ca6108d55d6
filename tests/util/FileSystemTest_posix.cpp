#include "TempFolder.h"
#include "util/AppError.h"
#include "util/TextFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(ReadTextFilePosix, PipesAndDevicesRaiseInsteadOfBlocking) {
    TempFolder temp;
    const std::string fifo = temp.File("list.md5");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/zero")}) {
        try {
            ReadTextFile(path);
            ADD_FAILURE() << "no error for " << path;
        } catch (const AppError& e) {
            EXPECT_NE(e.Description().find(path), std::string::npos) << e.Description();
        }
    }
}

} // namespace
