// The main window: start-up, captions and menus, window commands, the About box and the settings
// written at close and read at the next start.
#include "UiTest.h"

#include "FerruleVersion.h"
#include "config/clsSettings.h"
#include "ui/clsImageControl.h"
#include "ui/clsLogPane.h"
#include "ui/frmLog.h"

#include <QAction>
#include <QApplication>
#include <QListView>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <map>
#include <sstream>

using namespace UiTest;

namespace {

// The [Settings] keys of an INI file, as written.
std::map<std::string, std::string> SettingsValues(const std::string& path) {
    std::map<std::string, std::string> values;
    std::istringstream in(ReadAll(path));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const auto equals = line.find('=');
        if (equals != std::string::npos) {
            values[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return values;
}

QStringList MenuTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions()) {
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
}

// Opens the main menu the way the user does, with a right-click on the drop box, and hands it over.
WatcherPtr OpenMainMenu(frmMain& window, std::function<void(QMenu*)> handle) {
    auto opened = OnNextPopup(std::move(handle));
    QTest::mouseClick(window.DropBox(), Qt::RightButton, Qt::NoModifier, QPoint(40, 40));
    return opened;
}

QAction* Item(frmMain& window, const char* name) {
    return window.findChild<QAction*>(QString::fromLatin1(name));
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartWithoutSettings() {
        AppFixture app;
        frmMain& window = app.Start();
        QVERIFY(window.isVisible());
        QCOMPARE(window.windowTitle(), QStringLiteral("Ferrule ver.1.01"));
        QCOMPARE(window.pos(), QPoint(0, 0));
        QCOMPARE(window.size(), QSize(312, 144));
        QVERIFY(!window.TopMost());
        QVERIFY(!window.LogWindow()->isVisible());
        QVERIFY(window.LogPane()->isEnabled());
        QCOMPARE(window.focusWidget(), window.LogPane()->List());

        // The log window waits centred on the screen with the main window's full outer size.
        const QSize screen = window.screen()->geometry().size();
        const QSize outer = window.frameGeometry().size();
        QCOMPARE(window.LogWindow()->OuterGeometry(),
                 QRect((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2, outer.width(),
                       outer.height()));
    }

    void controlsSitWhereDesigned() {
        AppFixture app;
        frmMain& window = app.Start();
        QCOMPARE(window.DropBoxHost()->geometry(), QRect(8, 8, 128, 128));
        QCOMPARE(window.DropBox()->geometry(), QRect(0, 0, 128, 128));
        QCOMPARE(window.LogPane()->geometry(), QRect(144, 8, 160, 128));
        QCOMPARE(window.DropBox()->toolTip(), QStringLiteral("ここにCRC/MD5ファイルをドロップしてください"));
        QCOMPARE(window.Timer().interval(), 50);
        QVERIFY(!window.Timer().isActive());
        QCOMPARE(window.minimumSize(), window.maximumSize()); // the user cannot resize it
        QVERIFY(window.font().families().contains(QStringLiteral("MS UI Gothic")));
        QCOMPARE(window.font().pointSize(), 9);
    }

    void menusHoldEveryItemInOrder() {
        AppFixture app;
        frmMain& window = app.Start();
        QCOMPARE(MenuTexts(window.MainMenu()),
                 QStringList({QStringLiteral("元のサイズに戻す(&R)"), QStringLiteral("最小化(&N)"),
                              QStringLiteral("常に手前に表示(&T)"), QStringLiteral("ログを別ウィンドウで表示(&L)"),
                              QStringLiteral("-"), QStringLiteral("色と背景(&C)"), QStringLiteral("-"),
                              QStringLiteral("バージョン情報(&A)..."), QStringLiteral("Ferrule の終了(&X)\tAlt+F4")}));
        QCOMPARE(MenuTexts(window.DragDropMenu()),
                 QStringList({QStringLiteral("チェック(&C)"), QStringLiteral("フォルダを指定してチェック(&H)..."),
                              QStringLiteral("-"), QStringLiteral("キャンセル\tESC")}));
        QCOMPARE(window.DragDropMenu()->defaultAction(), Item(window, "mnuDragDropCheck"));
        QCOMPARE(MenuTexts(window.LogPane()->LogMenu()), QStringList({QStringLiteral("結果をコピー(&C)")}));
        for (const char* name : {"mnuMainBar1", "mnuMainBar2", "mnuDragDropBar1"}) {
            QVERIFY2(Item(window, name) != nullptr && Item(window, name)->isSeparator(), name);
        }
    }

    void captionShowsTheMinorVersionWithTwoDigits_data() {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<QString>("caption");
        QTest::newRow("1.01") << 1 << 1 << QStringLiteral("Ferrule ver.1.01");
        QTest::newRow("minor 0") << 1 << 0 << QStringLiteral("Ferrule ver.1.00");
        QTest::newRow("minor 12") << 2 << 12 << QStringLiteral("Ferrule ver.2.12");
        QTest::newRow("minor above 99") << 1 << 123 << QStringLiteral("Ferrule ver.1.23");
    }

    void captionShowsTheMinorVersionWithTwoDigits() {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(QString, caption);
        QCOMPARE(frmMain::CaptionText(major, minor), caption);
    }

    void aboutTextFormatsTheModuleVersions_data() {
        QTest::addColumn<int>("crc");
        QTest::addColumn<int>("md5");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("ending");
        QTest::newRow("1.00 and 1.00") << 100 << 100 << QStringLiteral("C")
                                       << QStringLiteral("\r\n\r\n (CRC32.DLL 1.00 / MD5.DLL 1.00)\r\n");
        QTest::newRow("leading zero") << 123 << 5 << QStringLiteral("C")
                                      << QStringLiteral("\r\n\r\n (CRC32.DLL 1.23 / MD5.DLL 0.05)\r\n");
        QTest::newRow("decimal comma") << 123 << 5 << QStringLiteral("de_DE")
                                       << QStringLiteral("\r\n\r\n (CRC32.DLL 1,23 / MD5.DLL 0,05)\r\n");
    }

    void aboutTextFormatsTheModuleVersions() {
        QFETCH(int, crc);
        QFETCH(int, md5);
        QFETCH(QString, locale);
        QFETCH(QString, ending);
        const QString text = frmMain::AboutText(crc, md5, QLocale(locale));
        QVERIFY2(text.startsWith(QStringLiteral("Ferrule Version 1.01\r\n\r\n" FERRULE_LEGAL_COPYRIGHT)),
                 qPrintable(text));
        QVERIFY2(text.endsWith(ending), qPrintable(text));
        QCOMPARE(text.size(),
                 QStringLiteral("Ferrule Version 1.01\r\n\r\n" FERRULE_LEGAL_COPYRIGHT).size() + ending.size());
    }

    void aboutBoxFromTheMenu() {
        AppFixture app;
        frmMain& window = app.Start();
        auto message = AnswerNextMessage();
        auto opened = OpenMainMenu(window, [&](QMenu* menu) { ClickMenuItem(menu, Item(window, "mnuMainAbout")); });
        QTRY_VERIFY(*opened);
        QTRY_VERIFY(message->seen);
        QCOMPARE(message->title, QStringLiteral("Ferrule のバージョン情報"));
        QCOMPARE(message->icon, int(QMessageBox::NoIcon));
        QVERIFY(message->text.startsWith(QStringLiteral("Ferrule Version 1.01\r\n")));
        QVERIFY(message->text.contains(QStringLiteral(" (CRC32.DLL ")));
    }

    void mainMenuStatesFollowTheWindow() {
        AppFixture app;
        frmMain& window = app.Start();
        std::map<QString, std::pair<bool, bool>> states; // enabled, checked
        auto record = [&](QMenu* menu) {
            for (QAction* action : menu->actions()) {
                states[action->objectName()] = {action->isEnabled(), action->isChecked()};
            }
            QTest::keyClick(menu, Qt::Key_Escape);
        };
        auto opened = OpenMainMenu(window, record);
        QTRY_VERIFY(*opened);
        QCOMPARE(states[QStringLiteral("mnuMainRestore")].first, false);
        QCOMPARE(states[QStringLiteral("mnuMainMinimize")].first, true);
        QCOMPARE(states[QStringLiteral("mnuMainWindowTopmost")].second, false);
        QCOMPARE(states[QStringLiteral("mnuMainShowLogWindow")].second, false);

        window.setTopMost(true);
        window.SetLogWindowVisible(true);
        window.setWindowState(Qt::WindowMinimized);
        opened = OpenMainMenu(window, record);
        QTRY_VERIFY(*opened);
        QCOMPARE(states[QStringLiteral("mnuMainRestore")].first, true);
        QCOMPARE(states[QStringLiteral("mnuMainMinimize")].first, false);
        QCOMPARE(states[QStringLiteral("mnuMainWindowTopmost")].second, true);
        QCOMPARE(states[QStringLiteral("mnuMainShowLogWindow")].second, true);
    }

    void minimizeAndRestoreFromTheMenu() {
        AppFixture app;
        frmMain& window = app.Start();
        auto opened = OpenMainMenu(window, [&](QMenu* menu) { ClickMenuItem(menu, Item(window, "mnuMainMinimize")); });
        QTRY_VERIFY(*opened);
        QVERIFY(window.windowState() & Qt::WindowMinimized);
        opened = OpenMainMenu(window, [&](QMenu* menu) { ClickMenuItem(menu, Item(window, "mnuMainRestore")); });
        QTRY_VERIFY(*opened);
        QCOMPARE(window.windowState(), Qt::WindowNoState);
    }

    void alwaysOnTopTogglesWithoutRecreatingTheWindow() {
        AppFixture app;
        frmMain& window = app.Start();
        const WId before = window.winId();
        QWidget* focused = QApplication::activeWindow();
        auto opened =
            OpenMainMenu(window, [&](QMenu* menu) { ClickMenuItem(menu, Item(window, "mnuMainWindowTopmost")); });
        QTRY_VERIFY(*opened);
        QVERIFY(window.TopMost());
        QVERIFY(window.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(window.winId(), before);
        QCOMPARE(QApplication::activeWindow(), focused);
        QVERIFY(Item(window, "mnuMainWindowTopmost")->isChecked());

        opened = OpenMainMenu(window, [&](QMenu* menu) { ClickMenuItem(menu, Item(window, "mnuMainWindowTopmost")); });
        QTRY_VERIFY(*opened);
        QVERIFY(!window.TopMost());
        QVERIFY(!(window.windowHandle()->flags() & Qt::WindowStaysOnTopHint));
        QCOMPARE(window.winId(), before);
    }

    void everyKindOfCloseSavesTheSettings_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("exit item") << QStringLiteral("exit");
        QTest::newRow("close box") << QStringLiteral("close");
    }

    void everyKindOfCloseSavesTheSettings() {
        QFETCH(QString, how);
        AppFixture app;
        frmMain& window = app.Start();
        window.move(30, 45);
        window.setTopMost(true);
        window.LogWindow()->setOuterGeometry(QRect(100, 120, 300, 200));
        QSignalSpy unloaded(&window, &frmMain::Unloaded);
        if (how == QStringLiteral("exit")) {
            auto opened = OpenMainMenu(window, [&](QMenu* menu) { ClickMenuItem(menu, Item(window, "mnuMainExit")); });
            QTRY_VERIFY(*opened);
        } else {
            window.close();
        }
        QVERIFY(!window.isVisible());
        QCOMPARE(unloaded.count(), 1);
        const auto values = SettingsValues(app.SettingsPath());
        const std::map<std::string, std::string> expected = {
            {"LogWindowHeight", "200"}, {"LogWindowLeft", "100"}, {"LogWindowTop", "120"},
            {"LogWindowWidth", "300"},  {"ShowLogWindow", "0"},   {"ThemeName", ""},
            {"WindowLeft", "30"},       {"WindowTop", "45"},      {"WindowTopMost", "1"}};
        QCOMPARE(values, expected);
    }

    void settingsComeBackAtTheNextStart() {
        AppFixture app;
        {
            frmMain& window = app.Start();
            window.move(40, 50);
            window.setTopMost(true);
            window.SetLogWindowVisible(true);
            window.LogWindow()->setOuterGeometry(QRect(200, 210, 333, 222));
            app.Close();
        }
        frmMain& window = app.Start();
        QCOMPARE(window.pos(), QPoint(40, 50));
        QVERIFY(window.TopMost());
        QVERIFY(window.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
        QVERIFY(window.LogWindow()->isVisible());
        QCOMPARE(window.width(), 144);
        QCOMPARE(window.LogWindow()->OuterGeometry(), QRect(200, 210, 333, 222));
        QCOMPARE(window.LogWindow()->focusWidget(), window.LogWindow()->LogPane()->List());
        QVERIFY(!window.LogPane()->isEnabled());
    }

    void aHalfSavedLogWindowPlaceIsReplacedByTheDefault_data() {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::newRow("width 0") << QStringLiteral("0") << QStringLiteral("100");
        QTest::newRow("height 0") << QStringLiteral("250") << QStringLiteral("0");
    }

    void aHalfSavedLogWindowPlaceIsReplacedByTheDefault() {
        QFETCH(QString, width);
        QFETCH(QString, height);
        AppFixture app;
        app.Folder().Write("ferrule.ini",
                           "[Settings]\r\nLogWindowLeft=5\r\nLogWindowTop=6\r\nLogWindowWidth=" + width.toStdString() +
                               "\r\nLogWindowHeight=" + height.toStdString() + "\r\nWindowLeft=20\r\nWindowTop=30\r\n");
        frmMain& window = app.Start();
        QCOMPARE(window.pos(), QPoint(20, 30));
        const QSize screen = window.screen()->geometry().size();
        const QSize outer = window.frameGeometry().size();
        QCOMPARE(window.LogWindow()->OuterGeometry(),
                 QRect((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2, outer.width(),
                       outer.height()));
    }

    void aBrokenSettingsFileStartsWithTheDefaults() {
        AppFixture app;
        app.Folder().Write("ferrule.ini", "[Settings]\r\nShowLogWindow=1\r\nWindowLeft=left\r\nWindowTopMost=1\r\n");
        frmMain& window = app.Start();
        QCOMPARE(window.pos(), QPoint(0, 0));
        QVERIFY(!window.TopMost());
        QVERIFY(!window.LogWindow()->isVisible());
    }

    void closingInTheMiddleOfStartUpStateSavesNothing() {
        // A window that never loaded has nothing to save and must close quietly.
        TempFolder folder;
        {
            frmMain window(folder.File("ferrule"));
            window.close();
        }
        QVERIFY(ReadAll(folder.File("ferrule.ini")).empty());
    }
};

FERRULE_UI_TEST(MainWindowTest);

#include "MainWindowTest.moc"
