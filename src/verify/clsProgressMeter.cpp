#include "verify/clsProgressMeter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// How quickly the speed follows a change: a sample weighs as much as the seconds it covers, out of this.
constexpr double kSmoothingSeconds = 3.0;

} // namespace

void clsProgressMeter::Reset() {
    *this = clsProgressMeter();
}

void clsProgressMeter::Sample(double seconds, std::int64_t done, std::int64_t total) {
    m_Done = done;
    m_Total = total;
    if (!m_LastTime || done < m_LastDone) {
        m_LastTime = seconds;
        m_LastDone = done;
        return;
    }
    const double elapsed = seconds - *m_LastTime;
    if (elapsed <= 0.0) {
        return;
    }
    const double speed = static_cast<double>(done - m_LastDone) / elapsed;
    const double weight = std::min(1.0, elapsed / kSmoothingSeconds);
    m_Speed = m_Speed == 0.0 ? speed : m_Speed + (speed - m_Speed) * weight;
    m_LastTime = seconds;
    m_LastDone = done;
}

int clsProgressMeter::Percent() const {
    if (m_Total <= 0 || m_Done >= m_Total) {
        return m_Total <= 0 ? 0 : 100;
    }
    return static_cast<int>(std::max<std::int64_t>(0, m_Done) * 100 / m_Total);
}

std::optional<double> clsProgressMeter::SecondsLeft() const {
    if (m_Speed <= 0.0 || m_Total <= 0) {
        return std::nullopt;
    }
    return static_cast<double>(std::max<std::int64_t>(0, m_Total - m_Done)) / m_Speed;
}

std::string FormatBytes(double bytes) {
    static const char* const kUnits[] = {"KB", "MB", "GB", "TB", "PB"};
    char text[32];
    if (bytes < 1000.0) {
        std::snprintf(text, sizeof text, "%.0f B", std::max(0.0, bytes));
        return text;
    }
    int unit = 0;
    double value = bytes / 1000.0;
    while (value >= 999.5 && unit < 4) {
        value /= 1000.0;
        ++unit;
    }
    std::snprintf(text, sizeof text,
                  value < 9.995   ? "%.2f %s"
                  : value < 99.95 ? "%.1f %s"
                                  : "%.0f %s",
                  value, kUnits[unit]);
    return text;
}

std::string FormatDuration(double seconds) {
    const auto total = static_cast<long long>(std::ceil(std::max(0.0, seconds)));
    char text[32];
    if (total >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
    }
    return text;
}
