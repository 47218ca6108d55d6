// Support for the widget tests: registration of test classes, modal menus and dialogs, drag and drop,
// and a main window started in a temporary application folder.
#pragma once

#include "TempFolder.h"
#include "ui/frmMain.h"

#include <QDropEvent>
#include <QMimeData>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMenu;
class QMessageBox;

namespace UiTest {

/// Test classes register themselves by name; main runs one of them or all.
using TestFactory = std::function<std::unique_ptr<QObject>()>;
int Register(const char* name, TestFactory factory);
const std::vector<std::pair<std::string, TestFactory>>& Registry();

#define FERRULE_UI_TEST(Class)                                                                                         \
    [[maybe_unused]] static const int Class##_registered =                                                             \
        UiTest::Register(#Class, [] { return std::unique_ptr<QObject>(new Class); })

/// Polls (in a timer, so also inside modal loops) for a widget that `find` returns and hands it once to
/// `handle`. Polling stops when the widget was seen, after ten seconds, or when the watcher goes away.
class Watcher {
public:
    Watcher(std::function<QWidget*()> find, std::function<void(QWidget*)> handle);
    ~Watcher();
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    bool Seen() const { return m_Seen; }
    explicit operator bool() const { return m_Seen; }

private:
    QTimer* m_Timer = nullptr;
    bool m_Seen = false;
    int m_Waited = 0;
};
using WatcherPtr = std::unique_ptr<Watcher>;

/// Watches for the next popup menu.
WatcherPtr OnNextPopup(std::function<void(QMenu*)> handle);
/// Watches for the next modal dialog (message box, file dialog).
WatcherPtr OnNextModal(std::function<void(QWidget*)> handle);

/// What a message box showed; the box is answered with OK.
struct MessageSeen {
    bool seen = false;
    QString title;
    QString text;
    int icon = -1;
    WatcherPtr watcher;
};
/// Answers the next message box with OK, recording it.
std::unique_ptr<MessageSeen> AnswerNextMessage();

/// Clicks `action` of an open `menu` with the left button.
void ClickMenuItem(QMenu* menu, QAction* action);

/// Result of a synthesized drag and drop.
struct DropOutcome {
    bool overAccepted = false;
    Qt::DropAction overAction = Qt::IgnoreAction;
    bool dropAccepted = false;
    Qt::DropAction dropAction = Qt::IgnoreAction;
};
/// A drag of `data` that enters and moves over `target` with `buttons` held, then drops. At the drop
/// the buttons read as none, as X11 reports them.
/// `beforeDrop` runs between the last move and the drop.
DropOutcome DragAndDrop(QWidget* target, const QMimeData& data, Qt::MouseButtons buttons,
                        const std::function<void()>& beforeDrop = {});
/// Only the drag-over part (enter and move), leaving again.
DropOutcome DragOver(QWidget* target, const QMimeData& data, Qt::MouseButtons buttons);
/// File URLs of `paths`, in order.
std::unique_ptr<QMimeData> FileData(const std::vector<std::string>& paths);

/// A main window whose executable path lies in a temporary folder: its settings file and theme folder
/// are there.
class AppFixture {
public:
    AppFixture();
    ~AppFixture();
    std::string ExecutablePath() const { return m_Folder.File("ferrule"); }
    std::string SettingsPath() const { return m_Folder.File("ferrule.ini"); }
    std::string ThemeFolder() const { return m_Folder.File("theme"); }
    const TempFolder& Folder() const { return m_Folder; }

    /// Creates and loads the main window (the previous one, if any, is closed first).
    frmMain& Start();
    frmMain& Window() { return *m_Window; }
    /// Closes the window as the close box does; the settings are saved.
    void Close();

private:
    TempFolder m_Folder;
    std::unique_ptr<frmMain> m_Window;
};

/// Reads a whole file as bytes ("" when missing).
std::string ReadAll(const std::string& path);

/// The lines of the main window's log, in order.
QStringList LogLines(frmMain& window);

/// Waits until a requested check has run to its end (or failed), and returns.
bool WaitForIdle(frmMain& window, int timeoutMs = 10000);

} // namespace UiTest
