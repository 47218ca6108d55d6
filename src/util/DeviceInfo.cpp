// What both platforms' device functions share: the names of the answers, the answer the environment
// forces, the answers already decided, and how read times are judged.
#include "util/DeviceInfo.h"
#include "util/DeviceInfoDetail.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string_view>

const char* SeeksName(DeviceSeeks seeks) {
    switch (seeks) {
        case DeviceSeeks::No:
            return "no";
        case DeviceSeeks::Yes:
            return "yes";
        case DeviceSeeks::Unknown:
            break;
    }
    return "unknown";
}

DeviceSeeks SeeksOf(std::uint64_t device, std::span<const std::string> samples) {
    if (const std::optional<DeviceSeeks> forced = ForcedSeeks()) {
        return *forced;
    }
    // Reader threads ask at once; the first one decides while the others wait for its answer.
    static std::mutex mutex;
    static std::map<std::uint64_t, DeviceSeeks> known;
    const std::lock_guard<std::mutex> lock(mutex);
    if (const auto it = known.find(device); it != known.end()) {
        return it->second;
    }
    const DeviceSeeks seeks = DecideSeeks(device, samples);
    known.emplace(device, seeks);
    return seeks;
}

std::optional<DeviceSeeks> ForcedSeeks() {
    const char* value = std::getenv("FERRULE_DEVICE_SEEKS");
    if (value == nullptr) {
        return std::nullopt;
    }
    for (const DeviceSeeks seeks : {DeviceSeeks::No, DeviceSeeks::Yes, DeviceSeeks::Unknown}) {
        if (std::string_view(value) == SeeksName(seeks)) {
            return seeks;
        }
    }
    return std::nullopt;
}

DeviceSeeks SeeksFromTimings(std::vector<double> millis) {
    // A head needs milliseconds to reach a block; flash and the caches of virtual discs a tenth of one. A
    // median between the two is no proof of flash, so the claim stands.
    constexpr double kFlashMillis = 0.5;
    if (millis.size() < 3) {
        return DeviceSeeks::Yes;
    }
    const auto middle = millis.begin() + static_cast<std::ptrdiff_t>(millis.size() / 2);
    std::nth_element(millis.begin(), middle, millis.end());
    double median = *middle;
    if (millis.size() % 2 == 0) {
        median = (median + *std::max_element(millis.begin(), middle)) / 2;
    }
    return median < kFlashMillis ? DeviceSeeks::No : DeviceSeeks::Yes;
}
