// Share done, speed and time left of a long piece of work, from samples of its bytes done over time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class clsProgressMeter {
public:
    /// Starts over: a new list, or a new run.
    void Reset();
    /// `done` of `total` bytes at `seconds` (any steady clock's reading).
    void Sample(double seconds, std::int64_t done, std::int64_t total);

    /// Whole percent done, 0 to 100; 100 only when everything is done.
    int Percent() const;
    /// Bytes per second, smoothed over the last few seconds; 0 until two samples lie apart.
    double BytesPerSecond() const { return m_Speed; }
    /// Seconds left at the present speed; none while the speed is unknown.
    std::optional<double> SecondsLeft() const;

private:
    std::optional<double> m_LastTime;
    std::int64_t m_LastDone = 0;
    std::int64_t m_Done = 0;
    std::int64_t m_Total = 0;
    double m_Speed = 0.0;
};

/// "512 B", "1.5 KB", "20.0 MB", "3.21 GB": bytes in units of 1000, three significant digits from 1 KB.
std::string FormatBytes(double bytes);
/// "0:07", "12:34", "1:02:03": a duration rounded up to whole seconds.
std::string FormatDuration(double seconds);
