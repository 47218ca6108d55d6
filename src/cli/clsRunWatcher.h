// Watches a run of ferrule-check from a thread of its own: turns Ctrl+C into a cancel of the run, and
// keeps a one-line progress display on the terminal up to date.
#pragma once

#include "verify/clsProgressMeter.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class clsCheckRun;
struct CheckProgress;

class clsRunWatcher {
public:
    /// `progressTo`: the terminal for the progress line, or nullptr for none.
    clsRunWatcher(clsCheckRun& run, std::FILE* progressTo);
    /// Stops watching and takes the progress line away.
    ~clsRunWatcher();
    clsRunWatcher(const clsRunWatcher&) = delete;
    clsRunWatcher& operator=(const clsRunWatcher&) = delete;

    /// Cancels the run once Ctrl+C has been pressed; safe from any thread.
    void CancelIfInterrupted();

    /// Runs `write` (a result line to the same terminal) with the progress line out of its way.
    void WithLineCleared(const std::function<void()>& write);

    /// The progress line for `progress` at `bytesPerSecond`, at most `width` columns.
    static std::string ProgressLine(const CheckProgress& progress, int percent, double bytesPerSecond,
                                    const std::string& timeLeft, std::size_t width);

private:
    void Watch();
    void Draw();
    void ClearLocked();

    clsCheckRun& m_Run;
    std::FILE* m_Progress = nullptr;
    clsProgressMeter m_Meter;
    std::int32_t m_MeterList = 0;
    std::chrono::steady_clock::time_point m_Start = std::chrono::steady_clock::now();
    std::mutex m_Mutex;
    std::condition_variable m_Wake;
    bool m_Stop = false;
    std::size_t m_Shown = 0; // columns of the progress line on screen; 0: none
    std::thread m_Thread;
};
