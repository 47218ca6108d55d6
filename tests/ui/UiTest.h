// Support for the widget tests: test classes registered by name, data rows from tables, menus and modal
// dialogs answered from a timer, synthesized drag and drop, and a main window in a temporary folder.
#pragma once

#include "TempFolder.h"
#include "ui/clsImageControl.h"
#include "ui/clsLogPane.h"
#include "ui/frmLog.h"
#include "ui/frmMain.h"
#include "util/clsStringList.h"

#include <QApplication>
#include <QDropEvent>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <QWindow>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <tuple>

using namespace Qt::StringLiterals;

namespace UiTest {

/// Test classes register themselves by name; main runs the one named on its command line, or all.
using TestFactory = std::function<std::unique_ptr<QObject>()>;
inline std::vector<std::pair<std::string, TestFactory>>& Registry() {
    static std::vector<std::pair<std::string, TestFactory>> registry;
    return registry;
}
#define FERRULE_UI_TEST(Class)                                                                                         \
    [[maybe_unused]] static const bool Class##_registered =                                                            \
        (UiTest::Registry().emplace_back(#Class, [] { return std::unique_ptr<QObject>(new Class); }), true)

/// The data column "row" with one row per entry of `rows`, each named by its member `name`.
template <class Row>
void AddRows(std::initializer_list<Row> rows) {
    QTest::addColumn<Row>("row");
    for (const Row& row : rows) {
        QTest::newRow(row.name) << row;
    }
}

/// Hands the visible widget `find` returns to `handle`, the first one only or with `every` each one, polling
/// from a timer (so also inside modal loops) for as long as the watcher lives.
class Watcher {
public:
    Watcher(std::function<QWidget*()> find, std::function<void(QWidget*)> handle, bool every = false) {
        QObject::connect(&m_Timer, &QTimer::timeout, &m_Timer, [=, this] {
            QWidget* widget = find();
            if (widget != nullptr && widget->isVisible()) {
                if (!every) {
                    m_Timer.stop();
                }
                ++m_Seen;
                handle(widget);
            }
        });
        m_Timer.start(10);
    }
    int Seen() const { return m_Seen; }

private:
    QTimer m_Timer;
    int m_Seen = 0;
};

/// Watches for the next popup menu.
inline std::unique_ptr<Watcher> OnPopup(std::function<void(QMenu*)> handle) {
    return std::make_unique<Watcher>([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
                                     [=](QWidget* menu) { handle(static_cast<QMenu*>(menu)); });
}

/// Every message box shown while it lives, as "title|icon|text", each answered with OK.
struct MessageBoxes {
    QStringList shown;
    Watcher watcher{[] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); },
                    [this](QWidget* widget) {
                        auto* box = static_cast<QMessageBox*>(widget);
                        shown << box->windowTitle() + u'|' + QString::number(box->icon()) + u'|' + box->text();
                        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
                    },
                    true};
};

/// Clicks `item` of the open `menu`, or its item with the object name `name`.
inline void ClickMenuItem(QMenu* menu, QAction* item) {
    const QPoint centre = menu->actionGeometry(item).center();
    QTest::mouseMove(menu, centre);
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, centre);
}
inline void ClickMenuItem(QMenu* menu, const QString& name) {
    ClickMenuItem(menu, menu->findChild<QAction*>(name));
}

/// Drags `files` (plain text when there are none) over `target` with `buttons` held, runs `beforeDrop`,
/// drops, and returns the actions of the drag over and of the drop (IgnoreAction where refused).
/// At the drop the buttons read as none, as X11 reports them.
inline std::pair<Qt::DropAction, Qt::DropAction> Drop(
    QWidget* target, const std::vector<std::string>& files, Qt::MouseButtons buttons,
    const std::function<void()>& beforeDrop = [] {}) {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& path : files) {
        urls << QUrl::fromLocalFile(QString::fromStdString(path));
    }
    data.setUrls(urls);
    data.setText(u"/tmp/a.sfv"_s);
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    const QPoint pos(target->width() / 2, target->height() / 2);
    QDragEnterEvent enter(pos, offered, &data, buttons, Qt::NoModifier);
    QDragMoveEvent move(pos, offered, &data, buttons, Qt::NoModifier);
    QDropEvent drop(pos, offered, &data, Qt::NoButton, Qt::NoModifier);
    // Unlike a real drag, the move and the drop come also after a refused enter: they must be refused too.
    QCoreApplication::sendEvent(target, &enter);
    QCoreApplication::sendEvent(target, &move);
    beforeDrop();
    QCoreApplication::sendEvent(target, &drop);
    return {move.isAccepted() ? move.dropAction() : Qt::IgnoreAction,
            drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction};
}

/// A list of `count` large files of zeros in `folder` (sparse: no disk used), each listed with an MD5 they do
/// not have. At the default 4 GiB each, a check far longer than a test waits for, even with every core
/// hashing: for tests that stop it.
inline std::string LargeFilesList(const TempFolder& folder, int count, std::uintmax_t bytes = std::uintmax_t{4} << 30) {
    std::string lines;
    for (int i = 0; i < count; ++i) {
        const std::string name = "big" + std::to_string(i) + ".bin";
        folder.Write(name, "");
        std::filesystem::resize_file(folder.File(name), bytes);
        lines += name + " 0123456789abcdef0123456789abcdef\r\n";
    }
    return folder.Write("big.md5", lines);
}

/// A main window whose executable path lies in a temporary folder, beside its settings file and theme
/// folder, and what the tests do with it as the user would.
class App {
public:
    ~App() { Close(); }
    const TempFolder& Folder() const { return m_Folder; }

    /// Creates and loads the main window, closing the previous one first; `prepare` runs before the load.
    frmMain& Start(const std::function<void(frmMain&)>& prepare = {}) {
        Close();
        m_Window = std::make_unique<frmMain>(m_Folder.File("ferrule"));
        if (prepare) {
            prepare(*m_Window);
        }
        m_Window->Form_Load();
        return *m_Window;
    }
    /// Closes the window as the close box does, which saves the settings.
    void Close() {
        if (m_Window) {
            m_Window->close();
            m_Window.reset();
        }
    }
    /// True when the settings file holds the line `line`.
    bool Saved(const std::string& line) const {
        std::ifstream in(m_Folder.File("ferrule.ini"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {}).find(line + "\r\n") != std::string::npos;
    }

    /// Right-clicks the drop box, which opens the main menu, and hands the open menu to `handle`.
    void WithMainMenu(const std::function<void(QMenu*)>& handle) {
        auto opened = OnPopup(handle);
        QTest::mouseClick(m_Window->DropBox(), Qt::RightButton, Qt::NoModifier, QPoint(30, 30));
        QVERIFY(opened->Seen() == 1);
    }
    void Choose(const QString& item) {
        WithMainMenu([&](QMenu* menu) { ClickMenuItem(menu, item); });
    }

    QStringList LogLines() const { return m_Window->LogModel().Text().split(u"\r\n"_s, Qt::SkipEmptyParts); }
    /// Waits until a requested check has run to its end (or failed).
    bool WaitForIdle() const {
        // The run works on its own thread: a long one may take a while on a busy machine.
        return QTest::qWaitFor(
            [this] {
                return !m_Window->Timer().isActive() && m_Window->DropBox()->isEnabled() &&
                       m_Window->DropFiles()->Count() == 0;
            },
            60000);
    }

private:
    TempFolder m_Folder;
    std::unique_ptr<frmMain> m_Window;
};

} // namespace UiTest
