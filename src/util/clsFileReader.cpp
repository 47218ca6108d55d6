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

bool clsFileReader::FaultHookSet() {
    return g_FaultHook.load(std::memory_order_relaxed) != nullptr;
}

int clsFileReader::InjectedFault(std::uint64_t offset) const {
    const FaultHook* hook = g_FaultHook.load(std::memory_order_relaxed);
    return hook != nullptr ? (*hook)(m_Path, offset) : 0;
}
