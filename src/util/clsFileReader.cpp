// What both platforms' file readers share: the fault hook of the tests.
#include "util/clsFileReader.h"

#include <atomic>
#include <memory>

namespace {

// Set only by tests, while no file is read; the readers only load it.
std::atomic<clsFileReader::FaultHook*> g_FaultHook{nullptr};
std::unique_ptr<clsFileReader::FaultHook> g_FaultHookOwner;

} // namespace

void clsFileReader::SetFaultHook(FaultHook hook) {
    std::unique_ptr<FaultHook> next = hook ? std::make_unique<FaultHook>(std::move(hook)) : nullptr;
    g_FaultHook.store(next.get());
    g_FaultHookOwner = std::move(next);
}

bool clsFileReader::FaultOnOpen(const std::string& path) {
    m_Error = 0;
    const FaultHook* hook = g_FaultHook.load(std::memory_order_relaxed);
    if (hook == nullptr) {
        return false;
    }
    m_Path = path;
    m_Error = (*hook)(m_Path, kOpening);
    return m_Error != 0;
}

bool clsFileReader::FaultOnRead() {
    const FaultHook* hook = g_FaultHook.load(std::memory_order_relaxed);
    if (hook == nullptr) {
        return false;
    }
    const int fault = (*hook)(m_Path, m_Offset);
    m_Error = fault != 0 ? fault : m_Error;
    return fault != 0;
}
