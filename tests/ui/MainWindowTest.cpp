// The main window: start-up from the settings file, the caption, the main menu and the About box, and
// the settings written at exit and read at the next start.
#include "UiTest.h"

#include "FerruleVersion.h"

#include <QLocale>
#include <QScreen>
#include <QSignalSpy>

using namespace UiTest;

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startUpFollowsTheSettingsFile() {
        const std::string log = "[Settings]\r\nLogWindowLeft=5\r\nLogWindowTop=6\r\nWindowLeft=20\r\nWindowTop=30\r\n";
        // The log window's place is taken only as a whole.
        for (const auto& [settings, position] :
             {std::pair{std::string(), QPoint(0, 0)},
              std::pair{log + "LogWindowWidth=0\r\nLogWindowHeight=100\r\n", QPoint(20, 30)},
              std::pair{log + "LogWindowWidth=250\r\nLogWindowHeight=0\r\n", QPoint(20, 30)}}) {
            App app;
            app.Folder().Write("ferrule.ini", settings);
            frmMain& window = app.Start();
            QVERIFY(window.isVisible());
            QCOMPARE(window.windowTitle(), u"Ferrule ver.1.01"_s);
            QCOMPARE(window.pos(), position);
            QCOMPARE(window.size(), QSize(312, 144));
            QCOMPARE(window.minimumSize(), window.maximumSize()); // the user cannot resize it
            QVERIFY(!window.TopMost());
            QVERIFY(!window.LogWindow()->isVisible());
            QCOMPARE(window.focusWidget(), window.LogPane()->List());
            // The log window waits centred on the screen with the main window's full outer size.
            const QSize screen = window.screen()->geometry().size();
            const QSize outer = window.frameGeometry().size();
            QCOMPARE(
                window.LogWindow()->OuterGeometry(),
                QRect(QPoint((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2), outer));
        }
    }

    void captionAndAboutTextShowTheVersions() {
        QCOMPARE(frmMain::CaptionText(1, 0), u"Ferrule ver.1.00"_s);
        QCOMPARE(frmMain::CaptionText(2, 12), u"Ferrule ver.2.12"_s);
        QCOMPARE(frmMain::CaptionText(1, 123), u"Ferrule ver.1.23"_s);
        const QString about = u"Ferrule Version 1.01\r\n\r\n" FERRULE_LEGAL_COPYRIGHT "\r\n\r\n (CRC32.DLL "_s;
        QCOMPARE(frmMain::AboutText(123, 5, QLocale(u"C"_s)), about + u"1.23 / MD5.DLL 0.05)\r\n"_s);
        QCOMPARE(frmMain::AboutText(100, 5, QLocale(u"de_DE"_s)), about + u"1,00 / MD5.DLL 0,05)\r\n"_s);
    }

    void theMainMenuCommandsAndTheStatesTheyShow() {
        App app;
        frmMain& window = app.Start();
        const WId native = window.winId();
        // Restore and Minimize enabled, Always on top and Show log window checked, in that order.
        const auto states = [&] {
            QString marks;
            app.WithMainMenu([&](QMenu* menu) {
                for (const char* item :
                     {"mnuMainRestore", "mnuMainMinimize", "mnuMainWindowTopmost", "mnuMainShowLogWindow"}) {
                    const QAction* action = menu->findChild<QAction*>(QLatin1String(item));
                    marks += (action->isCheckable() ? action->isChecked() : action->isEnabled()) ? u'1' : u'0';
                }
                menu->close();
            });
            return marks;
        };
        QCOMPARE(states(), u"0100"_s);
        // Activation settles asynchronously after a menu closes: compare around the change alone.
        QTest::qWait(50);
        QWidget* active = QApplication::activeWindow();
        window.setTopMost(true);
        QCOMPARE(QApplication::activeWindow(), active); // not activated
        window.setTopMost(false);
        app.Choose(u"mnuMainWindowTopmost"_s);
        QVERIFY(window.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(window.winId(), native); // nor re-created
        app.Choose(u"mnuMainMinimize"_s);
        QVERIFY(window.windowState() & Qt::WindowMinimized);
        window.SetLogWindowVisible(true);
        QCOMPARE(states(), u"1011"_s);
        app.Choose(u"mnuMainRestore"_s);
        QCOMPARE(window.windowState(), Qt::WindowNoState);
        app.Choose(u"mnuMainWindowTopmost"_s);
        QVERIFY(!(window.windowHandle()->flags() & Qt::WindowStaysOnTopHint));
        QCOMPARE(window.winId(), native);
        window.SetLogWindowVisible(false);
        QCOMPARE(states(), u"0100"_s);
        MessageBoxes boxes;
        app.Choose(u"mnuMainAbout"_s);
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown[0].startsWith(u"Ferrule のバージョン情報|0|Ferrule Version 1.01\r\n"_s)); // no icon
    }

    void menusAndMessageBoxesArePlainAndJapanese() {
        // An unchecked item draws exactly as a plain one with the same text; a checked one shows a mark.
        QMenu menu;
        QAction* unchecked = menu.addAction(u"項目"_s);
        unchecked->setCheckable(true);
        QAction* plain = menu.addAction(u"項目"_s);
        QAction* checked = menu.addAction(u"項目"_s);
        checked->setCheckable(true);
        checked->setChecked(true);
        menu.popup(QPoint(0, 0));
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        const QImage image = menu.grab().toImage();
        // Rows without the menu's border, which the first and last rows touch.
        const auto row = [&](QAction* action) {
            return image.copy(menu.actionGeometry(action).adjusted(2, 2, -2, -2));
        };
        QCOMPARE(row(unchecked), row(plain));
        QVERIFY(row(checked) != row(plain));
        menu.close();

        QMessageBox box(QMessageBox::Warning, u"Ferrule"_s, u"本文"_s, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), u"キャンセル"_s);
        QVERIFY(box.button(QMessageBox::Ok)->icon().isNull());
        QVERIFY(box.button(QMessageBox::Cancel)->icon().isNull());
    }

    void theLogPaneShowsAboutTenLinesAsTheListBoxDid() {
        App app;
        frmMain& window = app.Start();
        window.AddLog("○ a line long enough to run past the right edge of the log pane [0123456789abcdef]");
        QListView* list = window.LogPane()->List();
        QCOMPARE(QFontInfo(list->font()).family(), u"IPAPGothic"_s); // the metrics of MS UI Gothic
        QTRY_COMPARE(list->model()->rowCount(), 1);
        // Rows of 13 pixels (the list box's were 12): nine whole lines and most of a tenth.
        QVERIFY(list->sizeHintForRow(0) <= 13);
        QVERIFY(list->viewport()->height() * 10 / list->sizeHintForRow(0) >= 95);
        QCOMPARE(list->textElideMode(), Qt::ElideNone); // clipped, no "…"
    }

    void settingsAreSavedAtExitAndComeBackAtTheNextStart() {
        App app;
        frmMain& first = app.Start();
        first.move(40, 50);
        first.setTopMost(true);
        first.SetLogWindowVisible(true);
        first.LogWindow()->setOuterGeometry(QRect(200, 210, 333, 222));
        QSignalSpy unloaded(&first, &frmMain::Unloaded);
        app.Choose(u"mnuMainExit"_s);
        QVERIFY(!first.isVisible());
        QCOMPARE(unloaded.count(), 1);
        for (const char* line : {"LogWindowHeight=222", "LogWindowLeft=200", "LogWindowTop=210", "LogWindowWidth=333",
                                 "ShowLogWindow=1", "ThemeName=", "WindowLeft=40", "WindowTop=50", "WindowTopMost=1"}) {
            QVERIFY2(app.Saved(line), line);
        }
        frmMain& window = app.Start();
        QCOMPARE(window.pos(), QPoint(40, 50));
        QVERIFY(window.TopMost());
        QVERIFY(window.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
        QVERIFY(window.LogWindow()->isVisible());
        QCOMPARE(window.width(), 144);
        QCOMPARE(window.LogWindow()->OuterGeometry(), QRect(200, 210, 333, 222));
    }
};

FERRULE_UI_TEST(MainWindowTest);

#include "MainWindowTest.moc"
