// The separate log window: showing and hiding it with the main window's width, closing it, its
// layout on resize, and its place at shut-down.
#include "UiTest.h"

#include "ui/clsImageControl.h"
#include "ui/clsLogPane.h"
#include "ui/frmLog.h"

#include <QAction>
#include <QListView>
#include <QMenu>
#include <QTest>
#include <QWindow>

using namespace UiTest;

class LogWindowTest : public QObject {
    Q_OBJECT

private slots:
    void isASizableWindowOwnedByTheMainWindow() {
        AppFixture app;
        frmMain& window = app.Start();
        frmLog* log = window.LogWindow();
        QCOMPARE(log->windowTitle(), QStringLiteral("結果ログ"));
        QCOMPARE(log->parentWidget(), &window);
        QVERIFY(!log->isModal());
        QVERIFY(log->minimumSize() != log->maximumSize());
        window.SetLogWindowVisible(true);
        QVERIFY(QTest::qWaitForWindowExposed(log));
        QCOMPARE(log->windowHandle()->transientParent(), window.windowHandle());
    }

    void showingItNarrowsTheMainWindowToTheDropBox() {
        AppFixture app;
        frmMain& window = app.Start();
        QCOMPARE(window.width(), 312);
        window.SetLogWindowVisible(true);
        QCOMPARE(window.width(), 144);
        QVERIFY(window.LogWindow()->isVisible());
        QVERIFY(!window.LogPane()->isEnabled());
        QCOMPARE(window.LogWindow()->focusWidget(), window.LogWindow()->LogPane()->List());

        window.SetLogWindowVisible(false);
        QCOMPARE(window.width(), 312);
        QVERIFY(!window.LogWindow()->isVisible());
        QVERIFY(window.LogPane()->isEnabled());
        QCOMPARE(window.focusWidget(), window.LogPane()->List());
    }

    void theMenuItemTwiceRestoresTheWidthExactly() {
        AppFixture app;
        frmMain& window = app.Start();
        const int outerBefore = window.frameGeometry().width();
        QAction* item = window.findChild<QAction*>(QStringLiteral("mnuMainShowLogWindow"));
        for (int i = 0; i < 2; ++i) {
            auto opened = OnNextPopup([&](QMenu* menu) { ClickMenuItem(menu, item); });
            QTest::mouseClick(window.DropBox(), Qt::RightButton, Qt::NoModifier, QPoint(30, 30));
            QTRY_VERIFY(*opened);
            QCOMPARE(window.LogWindow()->isVisible(), i == 0);
        }
        QCOMPARE(window.frameGeometry().width(), outerBefore);
        QCOMPARE(window.width(), 312);
    }

    void theUsersCloseHidesIt() {
        AppFixture app;
        frmMain& window = app.Start();
        window.SetLogWindowVisible(true);
        QVERIFY(QTest::qWaitForWindowExposed(window.LogWindow()));
        window.LogWindow()->close();
        QVERIFY(!window.LogWindow()->isVisible());
        QCOMPARE(window.width(), 312);
        QVERIFY(window.LogPane()->isEnabled());
        QCOMPARE(window.focusWidget(), window.LogPane()->List());

        bool checked = true;
        auto opened = OnNextPopup([&](QMenu* menu) {
            checked = window.findChild<QAction*>(QStringLiteral("mnuMainShowLogWindow"))->isChecked();
            QTest::keyClick(menu, Qt::Key_Escape);
        });
        QTest::mouseClick(window.DropBox(), Qt::RightButton, Qt::NoModifier, QPoint(30, 30));
        QTRY_VERIFY(*opened);
        QVERIFY(!checked);

        app.Close();
        QVERIFY(ReadAll(app.SettingsPath()).find("ShowLogWindow=0") != std::string::npos);
    }

    void escapeDoesNotCloseIt() {
        AppFixture app;
        frmMain& window = app.Start();
        window.SetLogWindowVisible(true);
        QTest::keyClick(window.LogWindow(), Qt::Key_Escape);
        QVERIFY(window.LogWindow()->isVisible());
        QCOMPARE(window.width(), 144);
    }

    void shuttingDownClosesItWithoutHidingFirst() {
        AppFixture app;
        frmMain& window = app.Start();
        window.SetLogWindowVisible(true);
        window.LogWindow()->setOuterGeometry(QRect(50, 60, 280, 190));
        frmLog* log = window.LogWindow();
        window.close();
        QVERIFY(!log->isVisible());
        // Still narrow: the close of the log window was not turned into SetLogWindowVisible(false).
        QCOMPARE(window.width(), 144);
        const std::string settings = ReadAll(app.SettingsPath());
        QVERIFY(settings.find("ShowLogWindow=1") != std::string::npos);
        QVERIFY(settings.find("LogWindowLeft=50") != std::string::npos);
        QVERIFY(settings.find("LogWindowWidth=280") != std::string::npos);
    }

    void linesWrittenWhileHiddenAreThereWhenShown() {
        AppFixture app;
        frmMain& window = app.Start();
        for (const char* line : {"one", "two", "three"}) {
            window.AddLog(line);
        }
        window.SetLogWindowVisible(true);
        clsLogPane* pane = window.LogWindow()->LogPane();
        QTRY_COMPARE(pane->List()->model()->rowCount(), 3);
        QCOMPARE(pane->List()->model()->index(2, 0).data().toString(), QStringLiteral("three"));
        QCOMPARE(pane->SelectedIndex(), 2);
    }

    void resizingKeepsAnEightPixelMargin_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("designed") << QSize(272, 174);
        QTest::newRow("large") << QSize(700, 500);
        QTest::newRow("exactly the margins") << QSize(16, 16);
        QTest::newRow("flat") << QSize(300, 20);
    }

    void resizingKeepsAnEightPixelMargin() {
        QFETCH(QSize, size);
        AppFixture app;
        frmMain& window = app.Start();
        window.SetLogWindowVisible(true);
        frmLog* log = window.LogWindow();
        log->resize(size);
        clsLogPane* pane = log->LogPane();
        QCOMPARE(pane->geometry(), QRect(8, 8, size.width() - 16, size.height() - 16));
        const int edge = pane->List()->frameWidth();
        QCOMPARE(pane->List()->geometry(),
                 QRect(-edge, -edge, size.width() - 16 + 2 * edge, size.height() - 16 + 2 * edge));
    }

    void tooSmallForTheMarginsKeepsTheLastLayout() {
        AppFixture app;
        frmMain& window = app.Start();
        window.SetLogWindowVisible(true);
        frmLog* log = window.LogWindow();
        log->resize(200, 100);
        const QRect fitted = log->LogPane()->geometry();
        for (const QSize& tiny : {QSize(10, 100), QSize(200, 3), QSize(0, 0)}) {
            log->resize(tiny);
            QCOMPARE(log->LogPane()->geometry(), fitted);
        }
        log->resize(120, 80);
        QCOMPARE(log->LogPane()->geometry(), QRect(8, 8, 104, 64));
    }
};

FERRULE_UI_TEST(LogWindowTest);

#include "LogWindowTest.moc"
