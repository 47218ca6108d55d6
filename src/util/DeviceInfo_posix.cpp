// Linux side of the device functions: st_dev names the device, and sysfs tells what lies beneath it.
//
// FERRULE_DEVICE_SEEKS=yes, no or unknown makes SeeksOf give that answer for every device, so that tests and
// benchmarks of the digest engine can take either way of reading on any machine.
#define _FILE_OFFSET_BITS 64

#include "util/DeviceInfo.h"
#include "util/DeviceInfoDetail.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/btrfs.h>
#include <memory>
#include <set>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr unsigned long kBtrfsType = 0x9123683E;
constexpr std::size_t kMeasuredFiles = 8;

// The first line of a small sysfs file; "" when there is none.
std::string ReadLine(const fs::path& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// Seeking wins over not knowing, and not knowing over not seeking: one head is enough to slow the whole set.
DeviceSeeks Combine(DeviceSeeks a, DeviceSeeks b) {
    if (a == DeviceSeeks::Yes || b == DeviceSeeks::Yes) {
        return DeviceSeeks::Yes;
    }
    return a == DeviceSeeks::Unknown || b == DeviceSeeks::Unknown ? DeviceSeeks::Unknown : DeviceSeeks::No;
}

// The UUID of the btrfs file system holding `path`, as sysfs names its folder.
std::optional<std::string> BtrfsFsid(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    btrfs_ioctl_fs_info_args info{};
    const bool known = ::ioctl(fd, BTRFS_IOC_FS_INFO, &info) == 0;
    ::close(fd);
    if (!known) {
        return std::nullopt;
    }
    std::string text;
    for (std::size_t i = 0; i < sizeof(info.fsid); ++i) {
        char hex[3];
        std::snprintf(hex, sizeof(hex), "%02x", info.fsid[i]);
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            text += '-'; // a UUID's dashes; "-" + std::string gives GCC 12 a false overlap warning
        }
        text += hex;
    }
    return text;
}

// Follows a device down to its discs and gathers what they claim: Yes where any claims to rotate (still to
// be measured), No where every one says it does not, Unknown where one cannot be found or says nothing.
class clsSysfsWalk {
public:
    explicit clsSysfsWalk(std::string root) : m_Root(std::move(root)) {}

    DeviceSeeks ClaimOfDevice(unsigned deviceMajor, unsigned deviceMinor, std::span<const std::string> samples) {
        if (deviceMajor == 0) {
            return ClaimOfAnonymous(samples);
        }
        return ClaimOfBlock(fs::path(m_Root) / "dev/block" /
                            (std::to_string(deviceMajor) + ":" + std::to_string(deviceMinor)));
    }

    DeviceSeeks ClaimOfBtrfs(const std::string& fsid) {
        return ClaimOfAll(fs::path(m_Root) / "fs/btrfs" / fsid / "devices");
    }

private:
    DeviceSeeks ClaimOfBlock(const fs::path& folder) {
        std::error_code error;
        fs::path disc = fs::canonical(folder, error);
        if (error) {
            return DeviceSeeks::Unknown;
        }
        if (fs::exists(disc / "partition", error)) {
            disc = disc.parent_path();
        }
        // A loop device backed by a file on itself, however deep, must end.
        if (!m_Open.insert(disc).second) {
            return DeviceSeeks::Unknown;
        }
        DeviceSeeks claim = DeviceSeeks::Unknown;
        if (!fs::is_empty(disc / "slaves", error) && !error) {
            claim = ClaimOfAll(disc / "slaves");
        } else if (const std::string backing = ReadLine(disc / "loop/backing_file"); !backing.empty()) {
            struct stat info {};
            if (::stat(backing.c_str(), &info) == 0) {
                const std::string onIt[] = {backing};
                claim = ClaimOfDevice(major(info.st_dev), minor(info.st_dev), onIt);
            }
        } else if (const std::string rotational = ReadLine(disc / "queue/rotational"); rotational == "0") {
            claim = DeviceSeeks::No;
        } else if (rotational == "1") {
            claim = DeviceSeeks::Yes;
        }
        m_Open.erase(disc);
        return claim;
    }

    // Every device linked from `folder`: the slaves of device-mapper and md, the discs of btrfs.
    DeviceSeeks ClaimOfAll(const fs::path& folder) {
        std::optional<DeviceSeeks> claim;
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            claim = Combine(claim.value_or(DeviceSeeks::No), ClaimOfBlock(it->path()));
        }
        return claim.value_or(DeviceSeeks::Unknown);
    }

    // tmpfs, procfs, FUSE, shares, btrfs: only the file system of a file on it can tell.
    DeviceSeeks ClaimOfAnonymous(std::span<const std::string> samples) {
        for (const std::string& sample : samples) {
            struct statfs info {};
            if (::statfs(sample.c_str(), &info) != 0) {
                continue;
            }
            if (static_cast<unsigned long>(info.f_type) == kBtrfsType) {
                const std::optional<std::string> fsid = BtrfsFsid(sample);
                return fsid ? ClaimOfBtrfs(*fsid) : DeviceSeeks::Unknown;
            }
            return SeeksOfFileSystemType(static_cast<unsigned long>(info.f_type));
        }
        return DeviceSeeks::Unknown;
    }

    std::string m_Root;
    std::set<fs::path> m_Open; // discs being walked, for the guard against cycles
};

// A disc that claims to rotate is timed on a few distinct samples; other claims are trusted.
DeviceSeeks Decide(DeviceSeeks claim, std::span<const std::string> samples, const MeasureFn& measure) {
    if (claim != DeviceSeeks::Yes) {
        return claim;
    }
    std::set<std::string> tried;
    std::vector<double> millis;
    for (const std::string& sample : samples) {
        if (tried.size() == kMeasuredFiles) {
            break;
        }
        if (!tried.insert(sample).second) {
            continue;
        }
        if (const std::optional<double> time = measure(sample)) {
            millis.push_back(*time);
        }
    }
    return SeeksFromTimings(std::move(millis));
}

} // namespace

std::optional<double> MeasureUncachedRead(const std::string& path) {
    constexpr std::size_t kBlock = 4096;
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECT | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat info {};
    const std::unique_ptr<void, decltype(&std::free)> block(std::aligned_alloc(kBlock, kBlock), &std::free);
    std::optional<double> millis;
    // A hole reads as zeros without the disc being asked, which would make a head look like flash.
    if (block && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::lseek(fd, 0, SEEK_DATA) == 0) {
        const auto start = std::chrono::steady_clock::now();
        const ssize_t got = ::pread(fd, block.get(), kBlock, 0);
        const auto end = std::chrono::steady_clock::now();
        // An empty file reads nothing from the disc, so its time says nothing.
        if (got > 0) {
            millis = std::chrono::duration<double, std::milli>(end - start).count();
        }
    }
    ::close(fd);
    return millis;
}

DeviceSeeks SeeksFromSysfs(const std::string& sysfsRoot, unsigned deviceMajor, unsigned deviceMinor,
                           std::span<const std::string> samples, const MeasureFn& measure) {
    clsSysfsWalk walk(sysfsRoot);
    return Decide(walk.ClaimOfDevice(deviceMajor, deviceMinor, samples), samples, measure);
}

DeviceSeeks SeeksOfBtrfs(const std::string& sysfsRoot, const std::string& fsid, std::span<const std::string> samples,
                         const MeasureFn& measure) {
    clsSysfsWalk walk(sysfsRoot);
    return Decide(walk.ClaimOfBtrfs(fsid), samples, measure);
}

DeviceSeeks SeeksOfFileSystemType(unsigned long type) {
    constexpr unsigned long kMemory[] = {
        0x01021994, // tmpfs
        0x858458F6, // ramfs
        0x9FA0,     // procfs
        0x62656572, // sysfs
    };
    for (const unsigned long memory : kMemory) {
        if (type == memory) {
            return DeviceSeeks::No;
        }
    }
    return DeviceSeeks::Unknown;
}

std::optional<std::uint64_t> DeviceOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(info.st_dev);
}

DeviceSeeks DecideSeeks(std::uint64_t device, std::span<const std::string> samples) {
    const dev_t number = static_cast<dev_t>(device);
    return SeeksFromSysfs("/sys", major(number), minor(number), samples, MeasureUncachedRead);
}
