// Under a real window manager (X11 with openbox, started by tests/desktop/with-window-manager.sh): real
// input while a check runs, a real drag and drop, and windows framed by the window manager. The offscreen
// platform shows none of these.
#include "UiTest.h"

#include <QProcess>

using namespace UiTest;

namespace {

void Xdotool(const QStringList& arguments) {
    QProcess::execute(u"xdotool"_s, arguments);
}

QStringList At(const QPoint& global) {
    return {u"mousemove"_s, QString::number(global.x()), QString::number(global.y())};
}

// A check that takes seconds (16 GiB): long enough for a hand to act during it, and one that ends.
// A check of a few seconds: sparse files look like a disc that seeks (their first blocks are not on the disc to
// time), so they are read one after another, each hashed by one worker.
struct LongCheck {
    TempFolder folder;
    std::string list = LargeFilesList(folder, 8, std::uintmax_t{512} << 20);
};

// A small list of missing files: a log longer than the views.
std::string ManyMissing(const TempFolder& folder, int count) {
    std::string lines;
    for (int i = 0; i < count; ++i) {
        lines += "missing" + std::to_string(i) + ".bin CBF43926\r\n";
    }
    return folder.Write("many.sfv", lines);
}

// Whether the window manager has put its frame around the window, asked of the X server itself: Qt
// measures the frame once per configure event, and a measurement taken before the frame came stays.
bool Framed(QWidget* window) {
    QProcess xprop;
    xprop.start(u"xprop"_s, {u"-id"_s, QString::number(window->winId()), u"_NET_FRAME_EXTENTS"_s});
    return xprop.waitForFinished(5000) && xprop.readAllStandardOutput().contains(" = ");
}

bool Busy(frmMain& window) {
    return !window.DropBox()->isEnabled();
}

} // namespace

class WindowManagerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != u"xcb"_s) {
            QSKIP("needs an X server with a window manager: run through tests/desktop/with-window-manager.sh");
        }
    }

    void aRightClickOnTheBusyDropBoxOffersOnlyToStopTheCheck() {
        LongCheck check;
        App app;
        frmMain& window = app.Start();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint dropBox = window.DropBox()->mapToGlobal(QPoint(40, 40));
        QStringList menus;
        Watcher watcher([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
                        [&](QWidget* menu) {
                            if (menus.isEmpty() || menus.last() != menu->objectName()) {
                                menus << menu->objectName();
                            }
                            if (menu->objectName() != u"mnuCheck"_s) {
                                menu->close(); // only the check's menu is for the hand to answer
                            }
                        },
                        true);
        // The user's hand: a right click on the busy box, then "チェックを中止(&S)" by its access key.
        QProcess hand;
        QTimer during;
        QObject::connect(&during, &QTimer::timeout, &window, [&] {
            if (Busy(window) && hand.state() == QProcess::NotRunning && menus.isEmpty()) {
                hand.start(
                    u"bash"_s,
                    {u"-c"_s,
                     u"xdotool mousemove %1 %2 click 3; sleep 0.5; xdotool key s"_s.arg(dropBox.x()).arg(dropBox.y())});
                during.stop();
            }
        });
        during.start(20);
        Drop(window.DropBox(), {check.list}, Qt::LeftButton);
        QVERIFY(app.WaitForIdle());
        QCOMPARE(menus, QStringList{u"mnuCheck"_s}); // never the main menu
        QCOMPARE(app.LogLines().last(), u"チェックを中止しました。"_s);
        QVERIFY(app.LogLines().size() < 8 + 9); // stopped before the end of the list
        // The same click on the idle box opens the main menu.
        menus.clear();
        Xdotool(At(dropBox) << u"click"_s << u"3"_s);
        QTRY_COMPARE(menus, QStringList{u"mnuMain"_s});
    }

    void theLogWindowShowsTheLastLineWhenFirstShown() {
        TempFolder data;
        App app;
        frmMain& window = app.Start();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Drop(window.DropBox(), {ManyMissing(data, 80)}, Qt::LeftButton);
        QVERIFY(app.WaitForIdle());
        // Main menu, then its item "ログを別ウィンドウで表示(&L)", as the user does; the menu runs a loop of
        // its own, so the hand is a process of its own.
        const QPoint dropBox = window.DropBox()->mapToGlobal(QPoint(40, 40));
        QProcess hand;
        hand.start(u"bash"_s,
                   {u"-c"_s,
                    u"xdotool mousemove %1 %2 click 3; sleep 0.5; xdotool key l"_s.arg(dropBox.x()).arg(dropBox.y())});
        QTRY_VERIFY(window.LogWindow()->isVisible());
        QVERIFY(hand.waitForFinished(10000));
        QTRY_VERIFY_WITH_TIMEOUT(Framed(window.LogWindow()), 20000);
        QTest::qWait(300); // the window manager's last word on its size
        QListView* list = window.LogWindow()->LogPane()->List();
        const QModelIndex last = list->model()->index(list->model()->rowCount() - 1, 0);
        QCOMPARE(last.data().toString(), u"チェックを終了しました。"_s);
        QVERIFY(list->viewport()->rect().contains(list->visualRect(last)));
    }

    void aDragThatEntersDuringACheckIsTakenAfterIt() {
        LongCheck check;
        TempFolder data;
        const std::string second = data.Write("second.sfv", "absent.bin CBF43926\r\n");
        App app;
        frmMain& window = app.Start();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QProcess source;
        source.start(QStringLiteral(FERRULE_DRAGSOURCE_PATH), {QString::fromStdString(second)});
        QVERIFY(source.waitForStarted());
        QTest::qWait(1000); // the source's window is mapped at (600, 400)

        // The user's hand, in a process of its own: press on the source, enter the drop box, keep moving
        // over it until the check has ended (the test leaves a file then) and a little after, and let go.
        const QPoint target = window.DropBox()->mapToGlobal(QPoint(64, 64));
        const std::string idle = data.File("idle");
        const QString hand =
            u"xdotool mousemove 640 440 mousedown 1; "
            "for i in 1 2 3 4 5 6 7 8; do xdotool mousemove $((640 + (%1 - 640) * i / 8)) $((440 + (%2 - 440) * i / "
            "8)); "
            "sleep 0.05; done; "
            "for i in $(seq 600); do xdotool mousemove $((%1 + i % 2)) %2; sleep 0.1; [ -e '%3' ] && break; done; "
            "for i in 1 2 3 4 5; do xdotool mousemove $((%1 + i % 2)) %2; sleep 0.1; done; xdotool mouseup 1"_s
                .arg(target.x())
                .arg(target.y())
                .arg(QString::fromStdString(idle));
        QProcess drag;
        bool entered = false;
        QTimer during;
        QObject::connect(&during, &QTimer::timeout, &window, [&] {
            if (Busy(window) && !entered) {
                entered = true;
                drag.start(u"bash"_s, {u"-c"_s, hand});
            }
        });
        during.start(20);
        Drop(window.DropBox(), {check.list}, Qt::LeftButton);
        QVERIFY(app.WaitForIdle());
        QVERIFY(entered);
        QVERIFY(drag.state() == QProcess::Running); // still moving over the box after the check
        data.Write("idle", "");
        // Waited for with the events served: the drop itself is a conversation with the source.
        QTRY_VERIFY_WITH_TIMEOUT(drag.state() == QProcess::NotRunning, 60000);
        QTRY_VERIFY_WITH_TIMEOUT(source.state() == QProcess::NotRunning, 10000);
        QCOMPARE(source.readAllStandardOutput().trimmed(), QByteArray::number(Qt::LinkAction));
        QTRY_VERIFY(app.LogLines().contains(u"× absent.bin"_s));
        QVERIFY(app.WaitForIdle());
    }
};

FERRULE_UI_TEST(WindowManagerTest);

#include "WindowManagerTest.moc"
