// One view of the result log: the host `picLogBox`, its list `lstLogBox` and the log menu `mnuLog`.
// The main window and the log window each own one; both show the same clsLogModel.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QAction;
class QListView;
class QMenu;
class clsLogModel;

class clsLogPane : public QWidget {
    Q_OBJECT
public:
    clsLogPane(clsLogModel* model, QWidget* parent = nullptr);

    QListView* List() const { return m_lstLogBox; }
    QMenu* LogMenu() const { return m_mnuLog; }
    QAction* CopyAllItem() const { return m_mnuLogCopyAll; }
    int LineCount() const;

    /// The selected line, or -1 for none.
    int SelectedIndex() const;
    /// Selects `index` and scrolls it into view; -1 (or any index outside the lines) clears the selection.
    void setSelectedIndex(int index);
    /// Selects the last line. Many calls in a row are folded into one update of the view, so that
    /// appending a long log stays linear.
    void SelectLast();
    /// Applies a selection that SelectLast left pending.
    void FlushSelection();
    /// Forgets a pending selection; the log has been emptied.
    void ResetSelection();

    /// The row under the vertical position `y` of the list's client area, or -1 below the last line.
    int IndexFromY(int y) const;

    /// Layout of the view inside its host: the list covers the host, its own border just outside it.
    void picLogBox_Resize();
    /// Puts the list over the host's inner area, then lays it out as picLogBox_Resize does.
    void FitListToHost();

    /// The log menu at `globalPos`; returns when it closes.
    void ShowLogMenu(const QPoint& globalPos);

    // Handlers of the list, with the list's own coordinates; public so that the window can route to them.
    void lstLogBox_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos);
    void lstLogBox_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& globalPos);
    void lstLogBox_KeyUp(int keyCode, Qt::KeyboardModifiers shift);
    void mnuLog_Open();
    void mnuLogCopyAll_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    clsLogModel* m_Model = nullptr;
    QListView* m_lstLogBox = nullptr;
    QMenu* m_mnuLog = nullptr;
    QAction* m_mnuLogCopyAll = nullptr;
    QTimer m_SelectTimer;
    bool m_SelectPending = false;
};
