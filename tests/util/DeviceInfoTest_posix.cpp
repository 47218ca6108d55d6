// The walk through sysfs, on a tree of its own: partitions, device-mapper and md slaves, loop devices and
// btrfs discs, with a measure whose times the test chooses; and the answers for this machine's devices.
#include "TempFolder.h"
#include "util/DeviceInfo.h"
#include "util/DeviceInfoDetail.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A sysfs tree: block devices under devices/, linked from dev/block/MAJ:MIN as the kernel does.
class FakeSysfs {
public:
    FakeSysfs(const TempFolder& temp, const std::string& name) : m_Root(temp.File(name)) {}
    const std::string& Root() const { return m_Root; }

    /// A device folder `path` under devices/ ("sda", "sda/sda1"), known by `numbers`; `rotational` is what
    /// its queue says, "" for no such file.
    void Device(const std::string& path, const std::string& numbers, const std::string& rotational = "") {
        fs::create_directories(Folder(path));
        if (!rotational.empty()) {
            Write(path + "/queue/rotational", rotational + "\n");
        }
        if (path.find('/') != std::string::npos) {
            Write(path + "/partition", "1\n");
        }
        Link(m_Root + "/dev/block/" + numbers, path);
    }
    /// Makes `slave` (a path under devices/) a device beneath `path`.
    void Slave(const std::string& path, const std::string& slave) {
        Link(Folder(path) + "/slaves/" + fs::path(slave).filename().string(), slave);
    }
    void Write(const std::string& path, const std::string& text) {
        fs::create_directories(fs::path(Folder(path)).parent_path());
        std::ofstream(Folder(path)) << text;
    }
    /// A symbolic link at `at` to the device folder `path`.
    void Link(const std::string& at, const std::string& path) {
        fs::create_directories(fs::path(at).parent_path());
        fs::create_symlink(Folder(path), at);
    }

private:
    std::string Folder(const std::string& path) const { return m_Root + "/devices/" + path; }
    std::string m_Root;
};

// Read times by sample name; a name not given cannot be read. Counts what it was asked.
struct FakeMeasure {
    std::map<std::string, double> millis;
    std::vector<std::string> asked;
    MeasureFn Fn() {
        return [this](const std::string& path) -> std::optional<double> {
            asked.push_back(path);
            const auto it = millis.find(path);
            return it != millis.end() ? std::optional(it->second) : std::nullopt;
        };
    }
};

const std::vector<std::string> kSamples = {"a", "b", "c"};
const std::map<std::string, double> kFlash = {{"a", 0.05}, {"b", 0.08}, {"c", 0.06}};
const std::map<std::string, double> kHead = {{"a", 7.5}, {"b", 0.08}, {"c", 11.0}};

std::string Numbers(dev_t device) {
    return std::to_string(major(device)) + ":" + std::to_string(minor(device));
}

// A rotating disc and a flash one with partitions; device-mapper and md over them; discs that say nothing.
class SysfsWalkTest : public ::testing::Test {
protected:
    SysfsWalkTest() : m_Sys(m_Temp, "sys") {
        m_Sys.Device("sda", "8:0", "1");
        m_Sys.Device("sda/sda1", "8:1");
        m_Sys.Device("nvme0n1", "259:0", "0");
        m_Sys.Device("nvme0n1/nvme0n1p2", "259:2");
        m_Sys.Device("sdb", "8:16");
        m_Sys.Device("sdc", "8:32", "rotating"); // not a claim either way
        // dm-0 over both discs claims not to rotate itself: the discs beneath decide.
        m_Sys.Device("dm-0", "253:0", "0");
        m_Sys.Slave("dm-0", "sda/sda1");
        m_Sys.Slave("dm-0", "nvme0n1/nvme0n1p2");
        m_Sys.Device("dm-1", "253:1", "1");
        m_Sys.Slave("dm-1", "nvme0n1/nvme0n1p2");
        m_Sys.Device("md127", "9:127", "0");
        m_Sys.Slave("md127", "sdb");
        m_Sys.Slave("md127", "nvme0n1");
        // LVM over RAID: dm-2 over md127.
        m_Sys.Device("dm-2", "253:2", "0");
        m_Sys.Slave("dm-2", "md127");
    }
    DeviceSeeks Seeks(const std::string& numbers, const std::vector<std::string>& samples = kSamples) {
        const auto colon = numbers.find(':');
        return SeeksFromSysfs(m_Sys.Root(), std::stoul(numbers.substr(0, colon)), std::stoul(numbers.substr(colon + 1)),
                              samples, m_Measure.Fn());
    }
    TempFolder m_Temp;
    FakeSysfs m_Sys;
    FakeMeasure m_Measure;
};

TEST_F(SysfsWalkTest, DevicesDownToTheirDiscs) {
    const struct {
        const char* numbers;
        const std::map<std::string, double>& millis;
        DeviceSeeks seeks;
        bool measured; // only a claim to rotate is measured; one not to is trusted
    } rows[] = {
        {"8:0", kHead, DeviceSeeks::Yes, true},
        {"8:0", kFlash, DeviceSeeks::No, true},
        {"8:1", kHead, DeviceSeeks::Yes, true}, // a partition: its disc answers
        {"8:1", kFlash, DeviceSeeks::No, true},
        {"259:0", kHead, DeviceSeeks::No, false},
        {"259:2", kHead, DeviceSeeks::No, false},
        {"253:0", kHead, DeviceSeeks::Yes, true}, // one rotating slave of two
        {"253:0", kFlash, DeviceSeeks::No, true},
        {"253:1", kHead, DeviceSeeks::No, false},      // its own claim is not asked: its one slave is flash
        {"9:127", kHead, DeviceSeeks::Unknown, false}, // a slave that says nothing
        {"253:2", kFlash, DeviceSeeks::Unknown, false},
        {"8:16", kHead, DeviceSeeks::Unknown, false},
        {"8:32", kHead, DeviceSeeks::Unknown, false},
        {"8:99", kHead, DeviceSeeks::Unknown, false}, // no such device
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.numbers + std::string(row.measured ? " measured" : ""));
        m_Measure.millis = row.millis;
        m_Measure.asked.clear();
        EXPECT_EQ(Seeks(row.numbers), row.seeks);
        EXPECT_EQ(m_Measure.asked, row.measured ? kSamples : std::vector<std::string>{});
    }
}

// Up to eight distinct samples are timed, those that cannot be read skipped; fewer than three times leave the
// claim to rotate standing.
TEST_F(SysfsWalkTest, SamplesTimed) {
    for (char name = 'a'; name <= 'q'; ++name) {
        m_Measure.millis[std::string(1, name)] = name <= 'h' ? 0.05 : 9.0; // a to h flash, i to q a head
    }
    const struct {
        std::vector<std::string> samples;
        DeviceSeeks seeks;
        std::size_t asked;
    } rows[] = {
        {{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o", "p", "q"}, DeviceSeeks::No, 8},
        {{"a", "a", "a", "a", "b"}, DeviceSeeks::Yes, 2},
        {{"a", "x", "y", "b", "z", "c"}, DeviceSeeks::No, 6},
        {{"x", "y", "z", "w"}, DeviceSeeks::Yes, 4},
        {{"a", "i", "j"}, DeviceSeeks::Yes, 3},
        {{}, DeviceSeeks::Yes, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.samples));
        m_Measure.asked.clear();
        EXPECT_EQ(Seeks("8:1", row.samples), row.seeks);
        EXPECT_EQ(m_Measure.asked.size(), row.asked);
    }
}

// A loop device answers for the device its backing file is on, found from the file's own device numbers.
TEST_F(SysfsWalkTest, LoopDevicesFollowTheirBackingFile) {
    const std::string image = m_Temp.Write("disc.img", "image");
    struct stat info {};
    ASSERT_EQ(::stat(image.c_str(), &info), 0);
    if (major(info.st_dev) == 0) {
        GTEST_SKIP() << "the temporary folder is on no block device";
    }
    m_Sys.Link(m_Sys.Root() + "/dev/block/" + Numbers(info.st_dev), "sda");
    m_Sys.Device("loop0", "7:0", "0");
    m_Sys.Write("loop0/loop/backing_file", image + "\n");
    m_Sys.Device("loop1", "7:1", "0");
    m_Sys.Write("loop1/loop/backing_file", m_Temp.File("gone.img") + " (deleted)\n");
    m_Sys.Device("loop2", "7:2", "0"); // a loop device without a file behind it
    m_Sys.Device("dm-3", "253:3");
    m_Sys.Slave("dm-3", "loop0");
    m_Sys.Slave("dm-3", "nvme0n1");
    const struct {
        const char* numbers;
        const std::map<std::string, double>& millis;
        DeviceSeeks seeks;
    } rows[] = {
        {"7:0", kHead, DeviceSeeks::Yes}, {"7:0", kFlash, DeviceSeeks::No},   {"7:1", kHead, DeviceSeeks::Unknown},
        {"7:2", kHead, DeviceSeeks::No},  {"253:3", kHead, DeviceSeeks::Yes},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.numbers);
        m_Measure.millis = row.millis;
        EXPECT_EQ(Seeks(row.numbers), row.seeks);
    }

    // A loop device whose file is on the loop device itself ends the walk, knowing nothing.
    FakeSysfs cycle(m_Temp, "cycle");
    cycle.Device("loop0", Numbers(info.st_dev), "0");
    cycle.Write("loop0/loop/backing_file", image + "\n");
    EXPECT_EQ(SeeksFromSysfs(cycle.Root(), major(info.st_dev), minor(info.st_dev), kSamples, m_Measure.Fn()),
              DeviceSeeks::Unknown);
}

TEST_F(SysfsWalkTest, BtrfsAnswersForAllItsDiscs) {
    const std::string flashOnly = "0c1d2e3f-aaaa-bbbb-cccc-0123456789ab";
    const std::string both = "9f8e7d6c-1111-2222-3333-ba9876543210";
    m_Sys.Link(m_Sys.Root() + "/fs/btrfs/" + flashOnly + "/devices/nvme0n1p2", "nvme0n1/nvme0n1p2");
    m_Sys.Link(m_Sys.Root() + "/fs/btrfs/" + both + "/devices/nvme0n1p2", "nvme0n1/nvme0n1p2");
    m_Sys.Link(m_Sys.Root() + "/fs/btrfs/" + both + "/devices/sda1", "sda/sda1");
    m_Measure.millis = kHead;
    EXPECT_EQ(SeeksOfBtrfs(m_Sys.Root(), flashOnly, kSamples, m_Measure.Fn()), DeviceSeeks::No);
    EXPECT_EQ(SeeksOfBtrfs(m_Sys.Root(), both, kSamples, m_Measure.Fn()), DeviceSeeks::Yes);
    EXPECT_EQ(SeeksOfBtrfs(m_Sys.Root(), "00000000-0000-0000-0000-000000000000", kSamples, m_Measure.Fn()),
              DeviceSeeks::Unknown);
}

TEST(SeeksOfFileSystemType, MemoryIsNoDiscAndTheRestUnknown) {
    const std::pair<unsigned long, DeviceSeeks> cases[] = {
        {0x01021994, DeviceSeeks::No},      // tmpfs
        {0x9FA0, DeviceSeeks::No},          // procfs
        {0x65735546, DeviceSeeks::Unknown}, // FUSE
        {0x6969, DeviceSeeks::Unknown},     // NFS
        {0x794C7630, DeviceSeeks::Unknown}, // overlayfs
    };
    for (const auto& [type, seeks] : cases) {
        EXPECT_EQ(SeeksOfFileSystemType(type), seeks) << std::hex << type;
    }
}

TEST(MeasureUncachedRead, OnlyRegularFilesWithData) {
    TempFolder temp;
    const std::string data = temp.Write("data.bin", std::string(10000, 'd'));
    ::sync(); // an uncached read of dirty pages would time their writing
    for (const std::string& path :
         {temp.Write("empty.bin", ""), temp.Path(), temp.File("missing.bin"), std::string("/dev/zero")}) {
        EXPECT_EQ(MeasureUncachedRead(path), std::nullopt) << path;
    }
    // A file that starts with a hole, where the file system keeps holes: nothing of it is on the disc.
    const std::string sparse = temp.Write("sparse.bin", "");
    fs::resize_file(sparse, 1 << 20);
    struct stat info {};
    if (::stat(sparse.c_str(), &info) == 0 && info.st_blocks == 0) {
        EXPECT_EQ(MeasureUncachedRead(sparse), std::nullopt);
    }
    // A file system that takes no uncached reads (tmpfs on older kernels) times nothing.
    if (const std::optional<double> millis = MeasureUncachedRead(data)) {
        EXPECT_GT(*millis, 0.0);
        EXPECT_LT(*millis, 10000.0);
    }
}

// This machine's devices: memory file systems are no discs, and the temporary folder's device gets one answer
// however often asked, the same as a fresh walk of /sys gives.
TEST(SeeksOfThisMachine, StableAnswers) {
    if (std::getenv("FERRULE_DEVICE_SEEKS") != nullptr) {
        GTEST_SKIP() << "FERRULE_DEVICE_SEEKS forces the answers";
    }
    for (const char* memory : {"/proc/self/status", "/dev/shm"}) {
        if (const std::optional<std::uint64_t> device = DeviceOf(memory); device && major(*device) == 0) {
            const std::vector<std::string> samples = {memory};
            EXPECT_EQ(SeeksOf(*device, samples), DeviceSeeks::No) << memory;
        }
    }
    TempFolder temp;
    const std::string file = temp.Write("a.bin", std::string(10000, 'a'));
    ::sync();
    // Files long written are better samples than one just made; any on the same device will do.
    const std::uint64_t device = DeviceOf(file).value();
    std::vector<std::string> samples = {file};
    std::error_code error;
    for (fs::recursive_directory_iterator it("/usr/lib", error), end; !error && it != end && samples.size() < 8;
         it.increment(error)) {
        if (it->is_regular_file(error) && it->file_size(error) > 0 && DeviceOf(it->path().string()) == device) {
            samples.push_back(it->path().string());
        }
    }
    const DeviceSeeks seeks = SeeksOf(device, samples);
    EXPECT_EQ(SeeksOf(device, samples), seeks);
    EXPECT_EQ(SeeksOf(device, {}), seeks);
    const dev_t number = static_cast<dev_t>(device);
    EXPECT_EQ(SeeksFromSysfs("/sys", major(number), minor(number), samples, MeasureUncachedRead), seeks);
    RecordProperty("seeks", SeeksName(seeks));
    std::cout << "temporary folder on " << Numbers(number) << " (" << samples.size()
              << " samples) seeks: " << SeeksName(seeks) << "\n";
}

} // namespace
