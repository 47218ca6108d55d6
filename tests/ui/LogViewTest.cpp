// The result log views: appending, clearing, selecting with the mouse, the log menu and copying.
#include "UiTest.h"

#include "ui/clsLogPane.h"
#include "ui/frmLog.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QListView>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

using namespace UiTest;

namespace {

clsLogPane* PaneOf(frmMain& window, const QString& which) {
    return which == QStringLiteral("main") ? window.LogPane() : window.LogWindow()->LogPane();
}

// The log window's pane is only on screen while that window is shown.
void ShowPaneWindow(frmMain& window, const QString& which) {
    if (which != QStringLiteral("main")) {
        window.SetLogWindowVisible(true);
        QVERIFY(QTest::qWaitForWindowExposed(window.LogWindow()));
    }
}

void AddLines(frmMain& window, int count) {
    for (int i = 0; i < count; ++i) {
        window.AddLog("line " + std::to_string(i));
    }
}

QPoint RowPoint(QListView* list, int visibleRow) {
    const int height = list->sizeHintForRow(0);
    return {10, visibleRow * height + height / 2};
}

} // namespace

class LogViewTest : public QObject {
    Q_OBJECT

private slots:
    void addLogFillsBothViewsAndSelectsTheLastLine() {
        AppFixture app;
        frmMain& window = app.Start();
        window.AddLog("first");
        window.AddLog("second");
        window.AddLog("third ○ [1A2B3C4D]");

        for (clsLogPane* pane : {window.LogPane(), window.LogWindow()->LogPane()}) {
            QAbstractItemModel* model = pane->List()->model();
            QCOMPARE(pane->LineCount(), 3);
            QTRY_COMPARE(model->rowCount(), 3); // the views learn of new lines in batches
            QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("first"));
            QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("second"));
            QCOMPARE(model->index(2, 0).data().toString(), QStringLiteral("third ○ [1A2B3C4D]"));
            QCOMPARE(pane->SelectedIndex(), 2);
            // The view itself catches up shortly after.
            QTRY_COMPARE(pane->List()->selectionModel()->selectedRows().size(), 1);
            QCOMPARE(pane->List()->selectionModel()->selectedRows().front().row(), 2);
        }
    }

    void clearLogEmptiesBothViews() {
        AppFixture app;
        frmMain& window = app.Start();
        AddLines(window, 3);
        window.ClearLog();
        for (clsLogPane* pane : {window.LogPane(), window.LogWindow()->LogPane()}) {
            QCOMPARE(pane->List()->model()->rowCount(), 0);
            QCOMPARE(pane->SelectedIndex(), -1);
        }
        // Nothing pending may select a line of the old log later.
        QTest::qWait(60);
        QVERIFY(window.LogPane()->List()->selectionModel()->selectedRows().isEmpty());
    }

    void longLogKeepsTheLastLineInView() {
        AppFixture app;
        frmMain& window = app.Start();
        AddLines(window, 500);
        QListView* list = window.LogPane()->List();
        QTRY_VERIFY(list->viewport()->rect().intersects(list->visualRect(list->model()->index(499, 0))));
        QCOMPARE(window.LogPane()->SelectedIndex(), 499);
    }

    void copyPutsEveryLineFollowedByCrLf_data() {
        QTest::addColumn<QString>("which");
        QTest::newRow("main window") << QStringLiteral("main");
        QTest::newRow("log window") << QStringLiteral("log");
    }

    void copyPutsEveryLineFollowedByCrLf() {
        QFETCH(QString, which);
        AppFixture app;
        frmMain& window = app.Start();
        ShowPaneWindow(window, which);
        window.AddLog("A");
        window.AddLog("B × c.txt");
        QGuiApplication::clipboard()->setText(QStringLiteral("old"));

        clsLogPane* pane = PaneOf(window, which);
        bool copyEnabled = false;
        auto opened = OnNextPopup([&](QMenu* menu) {
            copyEnabled = pane->CopyAllItem()->isEnabled();
            ClickMenuItem(menu, pane->CopyAllItem());
        });
        QTest::mouseClick(pane->List()->viewport(), Qt::RightButton, Qt::NoModifier, RowPoint(pane->List(), 0));
        QTRY_VERIFY(*opened);
        QVERIFY(copyEnabled);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("A\r\nB × c.txt\r\n"));
    }

    void emptyViewOpensTheMenuWithCopyDisabled() {
        AppFixture app;
        frmMain& window = app.Start();
        clsLogPane* pane = window.LogPane();
        bool copyEnabled = true;
        auto opened = OnNextPopup([&](QMenu* menu) {
            copyEnabled = pane->CopyAllItem()->isEnabled();
            QTest::keyClick(menu, Qt::Key_Escape);
        });
        QTest::mouseClick(pane->List()->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
        QTRY_VERIFY(*opened);
        QVERIFY(!copyEnabled);
        QCOMPARE(pane->List()->model()->rowCount(), 0);
    }

    void rightClickSelectsTheLineUnderThePointer_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("scrolledBy");
        QTest::addColumn<int>("visibleRow");
        QTest::addColumn<int>("expected");
        QTest::newRow("first line") << QStringLiteral("main") << 5 << 0 << 0 << 0;
        QTest::newRow("third line") << QStringLiteral("main") << 5 << 0 << 2 << 2;
        QTest::newRow("scrolled by 10, second visible") << QStringLiteral("main") << 40 << 10 << 1 << 11;
        QTest::newRow("below the last line") << QStringLiteral("main") << 2 << 0 << 4 << -1;
        QTest::newRow("log window, scrolled") << QStringLiteral("log") << 40 << 10 << 1 << 11;
        QTest::newRow("log window, below the last line") << QStringLiteral("log") << 1 << 0 << 3 << -1;
    }

    void rightClickSelectsTheLineUnderThePointer() {
        QFETCH(QString, which);
        QFETCH(int, lines);
        QFETCH(int, scrolledBy);
        QFETCH(int, visibleRow);
        QFETCH(int, expected);
        AppFixture app;
        frmMain& window = app.Start();
        ShowPaneWindow(window, which);
        AddLines(window, lines);
        clsLogPane* pane = PaneOf(window, which);
        pane->FlushSelection();
        pane->List()->verticalScrollBar()->setValue(scrolledBy);
        QCOMPARE(pane->List()->indexAt(QPoint(0, 0)).row(), scrolledBy);

        int selectedWhenOpen = -2;
        auto opened = OnNextPopup([&](QMenu* menu) {
            selectedWhenOpen = pane->SelectedIndex();
            QTest::keyClick(menu, Qt::Key_Escape);
        });
        QTest::mouseClick(pane->List()->viewport(), Qt::RightButton, Qt::NoModifier,
                          RowPoint(pane->List(), visibleRow));
        QTRY_VERIFY(*opened);
        QCOMPARE(selectedWhenOpen, expected);
        QCOMPARE(pane->SelectedIndex(), expected);
        QCOMPARE(pane->window()->focusWidget(), pane->List());
    }

    void leftClickBelowTheLastLineClearsTheSelection() {
        AppFixture app;
        frmMain& window = app.Start();
        AddLines(window, 2);
        clsLogPane* pane = window.LogPane();
        pane->FlushSelection();
        QCOMPARE(pane->SelectedIndex(), 1);
        QTest::mouseClick(pane->List()->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(pane->List(), 5));
        QCOMPARE(pane->SelectedIndex(), -1);
    }

    void leftClickOnALineSelectsIt() {
        AppFixture app;
        frmMain& window = app.Start();
        AddLines(window, 4);
        clsLogPane* pane = window.LogPane();
        pane->FlushSelection();
        QTest::mouseClick(pane->List()->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(pane->List(), 1));
        QCOMPARE(pane->SelectedIndex(), 1);
        // A line selected by the user stays selected: no pending move to the last line overrides it.
        QTest::qWait(60);
        QCOMPARE(pane->SelectedIndex(), 1);
    }

    void applicationsKeyOpensTheMenuAtTheCentre_data() {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("opens");
        QTest::newRow("no modifier") << int(Qt::NoModifier) << true;
        QTest::newRow("shift") << int(Qt::ShiftModifier) << false;
        QTest::newRow("ctrl") << int(Qt::ControlModifier) << false;
        QTest::newRow("alt") << int(Qt::AltModifier) << false;
    }

    void applicationsKeyOpensTheMenuAtTheCentre() {
        QFETCH(int, modifiers);
        QFETCH(bool, opens);
        AppFixture app;
        frmMain& window = app.Start();
        window.AddLog("x");
        QListView* list = window.LogPane()->List();
        list->setFocus();
        QPoint menuAt;
        auto opened = OnNextPopup([&](QMenu* menu) {
            menuAt = menu->pos();
            QTest::keyClick(menu, Qt::Key_Escape);
        });
        QTest::keyClick(list, Qt::Key_Menu, Qt::KeyboardModifiers(modifiers));
        if (opens) {
            QTRY_VERIFY(*opened);
            QCOMPARE(menuAt, list->mapToGlobal(QPoint(list->width() / 2, list->height() / 2)));
        } else {
            QTest::qWait(100);
            QVERIFY(!*opened);
        }
        // Other keys open nothing.
        auto other = OnNextPopup([](QMenu* menu) { QTest::keyClick(menu, Qt::Key_Escape); });
        QTest::keyClick(list, Qt::Key_A);
        QTest::qWait(100);
        QVERIFY(!*other);
    }

    void theListCoversItsHostWithItsBorderOutside_data() {
        QTest::addColumn<QSize>("hostSize");
        QTest::newRow("designed") << QSize(160, 128);
        QTest::newRow("wide") << QSize(400, 50);
        QTest::newRow("empty") << QSize(0, 0);
    }

    void theListCoversItsHostWithItsBorderOutside() {
        QFETCH(QSize, hostSize);
        AppFixture app;
        frmMain& window = app.Start();
        clsLogPane* pane = window.LogPane();
        QCOMPARE(pane->geometry(), QRect(144, 8, 160, 128));
        pane->resize(hostSize);
        const int edge = pane->List()->frameWidth();
        QVERIFY(edge > 0);
        QCOMPARE(pane->List()->geometry(),
                 QRect(-edge, -edge, hostSize.width() + 2 * edge, hostSize.height() + 2 * edge));
    }
};

FERRULE_UI_TEST(LogViewTest);

#include "LogViewTest.moc"
