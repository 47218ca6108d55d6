// Support for the widget tests: registration of test classes, data rows from tables, popup menus and
// modal dialogs answered from a timer, synthesized drag and drop, and a main window started in a
// temporary folder.
#pragma once

#include "TempFolder.h"
#include "ui/clsImageControl.h"
#include "ui/frmMain.h"
#include "util/clsStringList.h"

#include <QApplication>
#include <QDropEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

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

/// Polls from a timer, so also inside modal loops, for a visible widget that `find` returns and hands
/// it to `handle`: the first one only, or with `every` each one, for as long as the watcher lives.
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

/// Every message box shown while it lives, each answered with OK.
struct MessageBoxes {
    struct Box {
        QString title;
        QString text;
        int icon = -1;
    };
    std::vector<Box> shown;
    Watcher watcher{[] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); },
                    [this](QWidget* widget) {
                        auto* box = static_cast<QMessageBox*>(widget);
                        shown.push_back({box->windowTitle(), box->text(), box->icon()});
                        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
                    },
                    true};
};

/// The action (menu item) below `parent` with the object name `name`.
inline QAction* Item(QObject* parent, const QString& name) {
    return parent->findChild<QAction*>(name);
}

inline void ClickMenuItem(QMenu* menu, QAction* action) {
    const QPoint centre = menu->actionGeometry(action).center();
    QTest::mouseMove(menu, centre);
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, centre);
}

/// Right-clicks the drop box, which opens the main menu, and hands the open menu to `handle`.
inline void WithMainMenu(frmMain& window, const std::function<void(QMenu*)>& handle) {
    auto opened = OnPopup(handle);
    QTest::mouseClick(window.DropBox(), Qt::RightButton, Qt::NoModifier, QPoint(30, 30));
    QVERIFY(opened->Seen() == 1);
}

inline void ChooseFromMainMenu(frmMain& window, const QString& item) {
    WithMainMenu(window, [&](QMenu* menu) { ClickMenuItem(menu, Item(&window, item)); });
}

/// Drop actions of a synthesized drag; IgnoreAction where the target refused.
struct DropOutcome {
    Qt::DropAction over = Qt::IgnoreAction;
    Qt::DropAction drop = Qt::IgnoreAction;
};

/// Drags `files` (plain text when there are none) over `target` with `buttons` held, runs `beforeDrop`,
/// then drops; at the drop the buttons read as none, as X11 reports them.
inline DropOutcome Drop(QWidget* target, const std::vector<std::string>& files, Qt::MouseButtons buttons,
                        const std::function<void()>& beforeDrop = {}) {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& path : files) {
        urls << QUrl::fromLocalFile(QString::fromStdString(path));
    }
    if (files.empty()) {
        data.setText(u"/tmp/a.sfv"_s);
    } else {
        data.setUrls(urls);
    }
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    const QPoint pos(target->width() / 2, target->height() / 2);
    QDragEnterEvent enter(pos, offered, &data, buttons, Qt::NoModifier);
    QDragMoveEvent move(pos, offered, &data, buttons, Qt::NoModifier);
    QDropEvent drop(pos, offered, &data, Qt::NoButton, Qt::NoModifier);
    DropOutcome outcome;
    // Unlike a real drag, the move and the drop come also after a refused enter: they must be refused too.
    QCoreApplication::sendEvent(target, &enter);
    QCoreApplication::sendEvent(target, &move);
    if (move.isAccepted()) {
        outcome.over = move.dropAction();
    }
    if (beforeDrop) {
        beforeDrop();
    }
    QCoreApplication::sendEvent(target, &drop);
    if (drop.isAccepted()) {
        outcome.drop = drop.dropAction();
    }
    return outcome;
}

/// A main window whose executable path lies in a temporary folder, beside its settings file and theme folder.
class AppFixture {
public:
    ~AppFixture() {
        if (m_Window) {
            m_Window->close();
        }
    }
    const TempFolder& Folder() const { return m_Folder; }
    /// True when the settings file holds the line `line`.
    bool Saved(const std::string& line) const {
        std::ifstream in(m_Folder.File("ferrule.ini"), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str().find(line + "\r\n") != std::string::npos;
    }
    /// Creates and loads the main window, closing the previous one first.
    frmMain& Start() {
        Close();
        m_Window = std::make_unique<frmMain>(m_Folder.File("ferrule"));
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

private:
    TempFolder m_Folder;
    std::unique_ptr<frmMain> m_Window;
};

inline QStringList LogLines(frmMain& window) {
    QStringList lines;
    for (int row = 0; row < window.LogModel().Count(); ++row) {
        lines << window.LogModel().Line(row);
    }
    return lines;
}

/// Waits until a requested check has run to its end (or failed).
inline bool WaitForIdle(frmMain& window) {
    return QTest::qWaitFor([&] {
        return !window.Timer().isActive() && window.DropBox()->isEnabled() && window.DropFiles()->Count() == 0;
    });
}

} // namespace UiTest
