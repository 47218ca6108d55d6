// Which storage device holds a file, and whether that device pays for reads at distant places (a disc head
// that seeks), so that files on it are read one after the other rather than side by side.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

/// How a device answers reads at distant places.
enum class DeviceSeeks {
    No,      // flash, memory, or a disc measured to answer distant reads at once
    Yes,     // a disc head: every jump costs milliseconds
    Unknown, // the system does not say (network shares, FUSE): treated like a seeking device
};

/// The device that holds the file or folder at `path` (UTF-8): st_dev on POSIX systems, the volume's serial
/// number on Windows. Nothing when the path cannot be looked up.
std::optional<std::uint64_t> DeviceOf(const std::string& path);

/// How `device` seeks, decided once per device for the process. `samples` are paths of a few files on it
/// (regular files, any size); where the system claims the device is a rotating disc, uncached reads of their
/// first block tell whether it really seeks (a head needs milliseconds, flash and virtual discs well under
/// one). Without samples that can be read uncached the system's claim stands. FERRULE_DEVICE_SEEKS=yes, no
/// or unknown in the environment forces the answer for every device.
DeviceSeeks SeeksOf(std::uint64_t device, std::span<const std::string> samples);

/// The text form of `seeks` for logs and benchmarks: "no", "yes", "unknown".
const char* SeeksName(DeviceSeeks seeks);
