// The result log views of the main window and of the log window, and the log window itself.
#include "UiTest.h"

#include <QClipboard>
#include <QScrollBar>

using namespace UiTest;

class LogViewTest : public QObject {
    Q_OBJECT

    static void AddLines(frmMain& window, int count) {
        for (int i = 0; i < count; ++i) {
            window.AddLog("line " + std::to_string(i));
        }
    }
    static QPoint RowPoint(QListView* list, int row) { return {10, (2 * row + 1) * list->sizeHintForRow(0) / 2}; }

    // The pane of the log window, which is shown for it.
    static clsLogPane* LogWindowPane(frmMain& window) {
        window.SetLogWindowVisible(true);
        [&] { QVERIFY(QTest::qWaitForWindowExposed(window.LogWindow())); }();
        return window.LogWindow()->LogPane();
    }

private slots:
    void bothViewsShowTheLinesWithTheLastSelectedInView() {
        App app;
        frmMain& window = app.Start();
        AddLines(window, 500);
        window.AddLog("last ○ [1A2B3C4D]");
        for (clsLogPane* pane : {window.LogPane(), window.LogWindow()->LogPane()}) {
            QTRY_COMPARE(pane->List()->model()->rowCount(), 501); // the views learn of new lines in batches
            QCOMPARE(pane->List()->model()->index(500, 0).data().toString(), u"last ○ [1A2B3C4D]"_s);
            QTRY_COMPARE(pane->List()->selectionModel()->selectedRows().value(0).row(), 500);
        }
        QListView* list = window.LogPane()->List();
        QVERIFY(list->viewport()->rect().intersects(list->visualRect(list->model()->index(500, 0))));
        // Made smaller once shown, as a window manager's frame does at the first show, the log window
        // still shows the last line.
        QListView* shown = LogWindowPane(window)->List();
        window.LogWindow()->resize(window.LogWindow()->size() - QSize(0, 40));
        QTRY_VERIFY(shown->viewport()->rect().contains(shown->visualRect(shown->model()->index(500, 0))));
        AddLines(window, 2);
        window.ClearLog();
        QTest::qWait(60); // nothing pending may select a line of the old log later
        for (clsLogPane* pane : {window.LogPane(), window.LogWindow()->LogPane()}) {
            QCOMPARE(pane->List()->model()->rowCount(), 0);
            QCOMPARE(pane->SelectedIndex(), -1);
            QVERIFY(pane->List()->selectionModel()->selectedRows().isEmpty());
        }
    }

    void copyPutsEveryLineFollowedByCrLf() {
        App app;
        frmMain& window = app.Start();
        // From the main window's pane while the log is empty and when not, then from the log window's.
        for (const auto& [logWindow, lines, copied] :
             {std::tuple{false, 0, u"old"_s}, std::tuple{false, 2, u"line 0\r\nline 1\r\n"_s},
              std::tuple{true, 2, u"line 0\r\nline 1\r\n"_s}}) {
            clsLogPane* pane = logWindow ? LogWindowPane(window) : window.LogPane();
            AddLines(window, lines - window.LogModel().Count());
            QGuiApplication::clipboard()->setText(u"old"_s);
            auto menu = OnPopup([&](QMenu* popup) {
                QCOMPARE(pane->CopyAllItem()->isEnabled(), lines > 0);
                ClickMenuItem(popup, pane->CopyAllItem());
                popup->close();
            });
            QTest::mouseClick(pane->List()->viewport(), Qt::RightButton, Qt::NoModifier, RowPoint(pane->List(), 0));
            QCOMPARE(menu->Seen(), 1);
            QCOMPARE(QGuiApplication::clipboard()->text(), copied);
        }
    }

    void aClickSelectsTheLineUnderThePointer() {
        App app;
        frmMain& window = app.Start();
        QListView* list = window.LogPane()->List();
        // Lines, lines scrolled away, button, row on screen, the line selected after.
        for (const auto& [lines, scrolledBy, button, row, selected] :
             {std::tuple{5, 0, Qt::RightButton, 2, 2}, std::tuple{40, 10, Qt::RightButton, 1, 11},
              std::tuple{2, 0, Qt::RightButton, 4, -1}, std::tuple{4, 0, Qt::LeftButton, 1, 1},
              std::tuple{2, 0, Qt::LeftButton, 5, -1}}) {
            window.ClearLog();
            AddLines(window, lines);
            window.LogModel().Flush(); // the lines on screen, the last one still to be selected
            if (scrolledBy > 0) {
                window.LogPane()->FlushSelection(); // or it would scroll back to it
            }
            list->verticalScrollBar()->setValue(scrolledBy);
            int selectedInMenu = -2;
            auto menu = OnPopup([&](QMenu* popup) {
                selectedInMenu = window.LogPane()->SelectedIndex();
                popup->close();
            });
            QTest::mouseClick(list->viewport(), button, Qt::NoModifier, RowPoint(list, row));
            QTest::qWait(60); // the user's choice stays: no pending move to the last line overrides it
            QCOMPARE(window.LogPane()->SelectedIndex(), selected);
            QCOMPARE(selectedInMenu, button == Qt::RightButton ? selected : -2); // the menu opens on the right
        }
    }

    void theApplicationsKeyAloneOpensTheMenuAtTheCentre() {
        App app;
        frmMain& window = app.Start();
        window.AddLog("x");
        QListView* list = window.LogPane()->List();
        list->setFocus();
        const QPoint centre = list->mapToGlobal(QPoint(list->width() / 2, list->height() / 2));
        for (const auto& [key, modifiers, at] :
             {std::tuple{Qt::Key_Menu, Qt::NoModifier, centre}, std::tuple{Qt::Key_Menu, Qt::ShiftModifier, QPoint()},
              std::tuple{Qt::Key_Menu, Qt::ControlModifier, QPoint()},
              std::tuple{Qt::Key_Menu, Qt::AltModifier, QPoint()}, std::tuple{Qt::Key_A, Qt::NoModifier, QPoint()}}) {
            QPoint menuAt;
            auto menu = OnPopup([&](QMenu* popup) {
                menuAt = popup->pos();
                popup->close();
            });
            QTest::keyClick(list, key, modifiers);
            QTest::qWait(at.isNull() ? 100 : 0);
            QCOMPARE(menuAt, at);
        }
    }

    void theLogWindowTakesTheLogPanesPlace() {
        App app;
        frmMain& window = app.Start();
        frmLog* log = window.LogWindow();
        const int outer = window.frameGeometry().width();
        app.Choose(u"mnuMainShowLogWindow"_s);
        QVERIFY(QTest::qWaitForWindowExposed(log));
        QCOMPARE(window.width(), 144); // narrowed to the drop box
        QVERIFY(!window.LogPane()->isEnabled());
        QCOMPARE(log->focusWidget(), log->LogPane()->List());
        QCOMPARE(log->windowHandle()->transientParent(), window.windowHandle()); // owned: stays in front
        QVERIFY(!log->isModal());
        QVERIFY(log->minimumSize() != log->maximumSize());
        QTest::keyClick(log, Qt::Key_Escape);
        QVERIFY(log->isVisible()); // Escape does not close it
        log->close();              // the user's close hides it
        QVERIFY(!log->isVisible());
        QCOMPARE(window.width(), 312);
        QVERIFY(window.LogPane()->isEnabled());
        QCOMPARE(window.focusWidget(), window.LogPane()->List());
        app.Choose(u"mnuMainShowLogWindow"_s);
        app.Choose(u"mnuMainShowLogWindow"_s);
        QVERIFY(!log->isVisible());
        QCOMPARE(window.frameGeometry().width(), outer);
    }

    void theLogWindowKeepsAnEightPixelMargin() {
        App app;
        frmMain& window = app.Start();
        clsLogPane* host = LogWindowPane(window);
        // Sizes too small for the margins keep the layout of before (at 200 × 100).
        for (const auto& [size, pane] :
             {std::pair{QSize(272, 174), QRect(8, 8, 256, 158)}, std::pair{QSize(700, 500), QRect(8, 8, 684, 484)},
              std::pair{QSize(16, 16), QRect(8, 8, 0, 0)}, std::pair{QSize(10, 100), QRect(8, 8, 184, 84)},
              std::pair{QSize(200, 3), QRect(8, 8, 184, 84)}}) {
            window.LogWindow()->resize(200, 100);
            window.LogWindow()->resize(size);
            QCOMPARE(host->geometry(), pane);
            // The list covers its host with its own border just outside, where the host clips it away.
            const int edge = host->List()->frameWidth();
            QVERIFY(edge > 0);
            QCOMPARE(host->List()->geometry(), pane.translated(-pane.topLeft()).adjusted(-edge, -edge, edge, edge));
        }
    }
};

FERRULE_UI_TEST(LogViewTest);

#include "LogViewTest.moc"
