#include "ui/clsQueuedCheckHost.h"

#include "verify/CheckCancelled.h"

#include <utility>

clsQueuedCheckHost::clsQueuedCheckHost(ICheckHost& window, QObject* parent) : QObject(parent), m_Window(window) {}

void clsQueuedCheckHost::AddLog(const std::string& line) {
    Post([this, line] { m_Window.AddLog(line); });
}

void clsQueuedCheckHost::ClearLog() {
    Post([this] { m_Window.ClearLog(); });
}

void clsQueuedCheckHost::DoEvents() {
    if (m_Cancel) {
        throw CheckCancelled{};
    }
}

void clsQueuedCheckHost::SetDropBoxBusy(bool busy) {
    // The window turns idle itself once it has joined the run: a request taken before that would be lost.
    if (busy) {
        Post([this] { m_Window.SetDropBoxBusy(true); });
    }
}

void clsQueuedCheckHost::SelectLastLogLine() {
    Post([this] { m_Window.SelectLastLogLine(); });
}

void clsQueuedCheckHost::Post(std::function<void()> action) {
    std::lock_guard lock(m_Mutex);
    if (m_Detached) {
        return;
    }
    m_Queue.push_back(std::move(action));
    // One pending drain takes everything queued until it runs: a fast run costs one event per batch.
    if (!m_DrainPending) {
        m_DrainPending = true;
        QMetaObject::invokeMethod(this, &clsQueuedCheckHost::Drain, Qt::QueuedConnection);
    }
}

void clsQueuedCheckHost::Drain() {
    std::vector<std::function<void()>> actions;
    {
        std::lock_guard lock(m_Mutex);
        if (m_Detached) {
            return;
        }
        actions.swap(m_Queue);
        m_DrainPending = false;
    }
    // Only the last action of a run opens a modal loop (its error message), so nothing can detach this
    // host half-way through a batch.
    for (const std::function<void()>& action : actions) {
        emit AboutToApply();
        action();
    }
}

void clsQueuedCheckHost::Detach() {
    std::lock_guard lock(m_Mutex);
    m_Detached = true;
    m_Queue.clear();
}
