// The device a path is on, the answer the environment forces, and how read times are judged.
#include "util/DeviceInfo.h"
#include "TempFolder.h"
#include "util/DeviceInfoDetail.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

namespace {

constexpr const char* kVariable = "FERRULE_DEVICE_SEEKS";
// A device number no system hands out: nothing can be found about it.
constexpr std::uint64_t kNoDevice = 0xFFFFFFFFu;

// Sets FERRULE_DEVICE_SEEKS for the life of the object ("" unsets it) and puts the old value back.
class ScopedSeeksVariable {
public:
    explicit ScopedSeeksVariable(const char* value) {
        if (const char* old = std::getenv(kVariable)) {
            m_Old = old;
        }
        Set(value);
    }
    ~ScopedSeeksVariable() { Set(m_Old.c_str()); }
    ScopedSeeksVariable(const ScopedSeeksVariable&) = delete;
    ScopedSeeksVariable& operator=(const ScopedSeeksVariable&) = delete;

private:
    static void Set(const char* value) {
#if defined(_WIN32)
        _putenv_s(kVariable, value);
#else
        *value != '\0' ? ::setenv(kVariable, value, 1) : ::unsetenv(kVariable);
#endif
    }
    std::string m_Old;
};

TEST(DeviceOf, FilesAndFoldersOnOneDeviceShareIt) {
    TempFolder temp;
    std::filesystem::create_directory(std::filesystem::u8path(temp.File("写真")));
    const std::string file = temp.Write("写真/夏.jpg", "jpeg");
    const std::optional<std::uint64_t> folder = DeviceOf(temp.Path());
    ASSERT_TRUE(folder);
    EXPECT_EQ(DeviceOf(file), folder);
    EXPECT_EQ(DeviceOf(temp.File("写真")), folder);
    EXPECT_EQ(DeviceOf(temp.File("")), folder);
    for (const char* missing : {"写真/冬.jpg", "no/such/file", "写真/夏.jpg/below"}) {
        SCOPED_TRACE(missing);
        EXPECT_EQ(DeviceOf(temp.File(missing)), std::nullopt);
    }
}

TEST(SeeksName, EveryAnswerByNameAndBackFromTheEnvironment) {
    const std::pair<DeviceSeeks, const char*> cases[] = {
        {DeviceSeeks::No, "no"}, {DeviceSeeks::Yes, "yes"}, {DeviceSeeks::Unknown, "unknown"}};
    for (const auto& [seeks, name] : cases) {
        EXPECT_STREQ(SeeksName(seeks), name);
        const ScopedSeeksVariable forced(name);
        EXPECT_EQ(ForcedSeeks(), seeks);
    }
}

// The forced answer holds for every device, asked once or again, and is never kept for the device: once the
// variable is gone the device is looked at as always.
TEST(SeeksOf, TheEnvironmentForcesEveryDevice) {
    TempFolder temp;
    const std::string file = temp.Write("a.bin", std::string(8192, 'a'));
    const std::vector<std::string> samples = {file};
    const std::uint64_t device = DeviceOf(file).value();
    for (const DeviceSeeks seeks : {DeviceSeeks::No, DeviceSeeks::Yes, DeviceSeeks::Unknown, DeviceSeeks::No}) {
        SCOPED_TRACE(SeeksName(seeks));
        const ScopedSeeksVariable forced(SeeksName(seeks));
        EXPECT_EQ(SeeksOf(device, samples), seeks);
        EXPECT_EQ(SeeksOf(kNoDevice, {}), seeks);
    }
    for (const char* ignored : {"", "YES", "no ", "1", "maybe"}) {
        SCOPED_TRACE(ignored);
        const ScopedSeeksVariable forced(ignored);
        EXPECT_EQ(ForcedSeeks(), std::nullopt);
        EXPECT_EQ(SeeksOf(kNoDevice, {}), DeviceSeeks::Unknown);
    }
}

TEST(SeeksFromTimings, MedianOfAtLeastThreeReads) {
    const struct {
        std::vector<double> millis;
        DeviceSeeks seeks;
    } rows[] = {
        {{0.06, 0.07, 0.05}, DeviceSeeks::No},         // a virtual disc that claims to rotate
        {{8.1, 12.0, 4.2}, DeviceSeeks::Yes},          // a head
        {{0.1, 0.2, 9.0, 9.5, 0.3}, DeviceSeeks::No},  // two reads that waited on others count little
        {{0.1, 9.0, 9.5, 0.2, 8.0}, DeviceSeeks::Yes}, // but not a majority
        {{0.7, 0.8, 0.9}, DeviceSeeks::Yes},           // between: no proof of flash
        {{0.4, 0.45, 0.55, 0.6}, DeviceSeeks::Yes},    // an even count: the middle two's mean, 0.5
        {{0.4, 0.45, 0.5, 0.6}, DeviceSeeks::No},      // 0.475
        {{0.01, 0.01}, DeviceSeeks::Yes},              // too few: the claim stands
        {{}, DeviceSeeks::Yes},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.millis));
        EXPECT_EQ(SeeksFromTimings(row.millis), row.seeks);
    }
}

} // namespace
