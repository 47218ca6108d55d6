// The verification run's host on a terminal: every log line goes straight to standard output, and what the
// log does not show to standard error.
#pragma once

#include "verify/ICheckHost.h"

#include <cstdio>

class clsRunWatcher;

class ConsoleHost : public ICheckHost {
public:
    ConsoleHost(std::FILE* out, std::FILE* err) : m_Out(out), m_Err(err) {}

    /// A progress line shares the terminal: each line is written with it out of the way.
    void setWatcher(clsRunWatcher* watcher) { m_Watcher = watcher; }

    /// Raises an error when standard output takes no more: the check ends there, since its results would
    /// go nowhere.
    void AddLog(const std::string& line) override;
    void ClearLog() override {}
    /// Where the run hears of Ctrl+C between files, without waiting for the watcher's next look.
    void DoEvents() override;
    void SetDropBoxBusy(bool) override {}
    void SelectLastLogLine() override {}
    /// Says on the error stream which list gave nothing to check.
    void ListHasNoEntries(const std::string& listPath) override;

private:
    std::FILE* m_Out = nullptr;
    std::FILE* m_Err = nullptr;
    clsRunWatcher* m_Watcher = nullptr;
};
