// The workings behind DeviceInfo.h that its tests reach into; nothing else should need them.
#pragma once

#include "util/DeviceInfo.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

/// The answer FERRULE_DEVICE_SEEKS ("yes", "no" or "unknown") forces for every device; nothing when the
/// variable is unset or holds anything else.
std::optional<DeviceSeeks> ForcedSeeks();

/// How `device` seeks, asked of the system (the platform's part of SeeksOf, which remembers the answer).
DeviceSeeks DecideSeeks(std::uint64_t device, std::span<const std::string> samples);

/// Whether a device that claims to rotate seeks, from the milliseconds of uncached reads of first blocks:
/// fewer than three leave the claim standing; otherwise a median below half a millisecond is no head.
DeviceSeeks SeeksFromTimings(std::vector<double> millis);

// Linux only from here: the walk through sysfs, with its root and the timing of a read replaceable so that
// a test can give it a tree of its own.

/// Milliseconds of one uncached read of the first block of `path`; nothing where that cannot be done.
using MeasureFn = std::function<std::optional<double>(const std::string& path)>;

/// The real measure: one read of 4096 bytes at offset 0, past the page cache (O_DIRECT).
std::optional<double> MeasureUncachedRead(const std::string& path);

/// How the block device `major`:`minor` seeks, as `sysfsRoot` ("/sys") describes it: partitions answer for
/// their disc, device-mapper and md devices for the discs beneath them (seeking if any does), loop devices
/// for the device of their backing file. A disc claiming to rotate is measured with `samples`.
DeviceSeeks SeeksFromSysfs(const std::string& sysfsRoot, unsigned major, unsigned minor,
                           std::span<const std::string> samples, const MeasureFn& measure);

/// The same for the btrfs file system whose UUID is `fsid` ("01234567-89ab-…"): the discs it spans.
DeviceSeeks SeeksOfBtrfs(const std::string& sysfsRoot, const std::string& fsid, std::span<const std::string> samples,
                         const MeasureFn& measure);

/// How a device without a block device of its own (major number 0) seeks, from the statfs type of its
/// file system: memory is no disc, anything else (FUSE, network shares) cannot be told.
DeviceSeeks SeeksOfFileSystemType(unsigned long type);
