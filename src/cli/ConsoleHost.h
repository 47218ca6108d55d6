// The verification run's host on a terminal: every log line goes straight to standard output.
#pragma once

#include "verify/ICheckHost.h"

#include <cstdio>

class ConsoleHost : public ICheckHost {
public:
    explicit ConsoleHost(std::FILE* out) : m_Out(out) {}

    void AddLog(const std::string& line) override;
    void ClearLog() override {}
    void DoEvents() override {}
    void SetDropBoxBusy(bool) override {}
    void SelectLastLogLine() override {}

private:
    std::FILE* m_Out = nullptr;
};
