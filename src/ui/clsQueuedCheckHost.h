// The verification run's host while the run works on a thread of its own: each call is queued and
// applied in order on the window's thread, and the run's yields are where it learns it was cancelled.
#pragma once

#include "verify/ICheckHost.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

class clsQueuedCheckHost : public QObject, public ICheckHost {
    Q_OBJECT
public:
    /// `window` is called on the thread this object lives on.
    explicit clsQueuedCheckHost(ICheckHost& window, QObject* parent = nullptr);

    // Called by the run, on its thread.
    void AddLog(const std::string& line) override;
    void ClearLog() override;
    /// Raises CheckCancelled once a cancel has been asked for; nothing else.
    void DoEvents() override;
    /// Passes busy on; idle is the window's to set when the run's end reaches it.
    void SetDropBoxBusy(bool busy) override;
    void SelectLastLogLine() override;

    /// Runs `action` on the window's thread after everything queued before it.
    void Post(std::function<void()> action);
    /// Asks the run to stop at its next yield; any thread.
    void RequestCancel() { m_Cancel = true; }
    bool CancelRequested() const { return m_Cancel; }
    /// Ready for a new run: no cancel pending.
    void Reset() { m_Cancel = false; }
    /// Drops whatever is queued or comes later: the window is gone.
    void Detach();

signals:
    /// On the window's thread, before each queued call is applied: lets a test act between two of them.
    void AboutToApply();

private:
    void Drain();

    ICheckHost& m_Window;
    std::atomic<bool> m_Cancel{false};
    std::mutex m_Mutex;
    std::vector<std::function<void()>> m_Queue;
    bool m_DrainPending = false;
    bool m_Detached = false;
};
