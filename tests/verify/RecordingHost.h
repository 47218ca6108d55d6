// The check run's host for tests, which records every call, and the lines every run writes.
#pragma once

#include "verify/ICheckHost.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// Records every call of the run, in order, so tests can check lines and the order of host events.
class RecordingHost : public ICheckHost {
public:
    std::vector<std::string> lines;
    std::vector<std::string> events;
    std::function<void()> onYield = [] {};

    void AddLog(const std::string& line) override {
        lines.push_back(line);
        events.push_back("log");
    }
    void ClearLog() override {
        lines.clear();
        events.push_back("clear");
    }
    void DoEvents() override {
        events.push_back("yield");
        onYield();
    }
    void SetDropBoxBusy(bool busy) override { events.push_back(busy ? "busy" : "idle"); }
    void SelectLastLogLine() override { events.push_back("select-last"); }
};

inline const std::string kHeavy(40, '=');
inline const std::string kEnd = "チェックを終了しました。";

// Digests of "hello\n", worked out independently of this program.
inline const std::string kHelloMd5 = "b1946ac92492d2347c6235b4d2611184";
inline const std::string kHelloCrc32 = "363A3020";
inline const std::string kHelloCrc16 = "5A34";

inline std::vector<std::string> Summary(int correct, int size, int digest, int missing, int unknown) {
    return {std::string(40, '-'),
            "○: " + std::to_string(correct) + " (正常)",
            "△: " + std::to_string(size) + " (サイズが不一致)",
            "▲: " + std::to_string(digest) + " (CRC/MDが不一致)",
            "×: " + std::to_string(missing) + " (存在しない)",
            "？: " + std::to_string(unknown) + " (不明なエラー)"};
}

inline std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}
