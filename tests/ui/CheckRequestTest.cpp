// Check requests on the drop box and the run in the window: drag-over effects, left and right drops,
// the drop menu, the folder choice, refusals, errors of a run, closing during a run, and the log
// compared with ferrule-check on the same lists.
#include "UiTest.h"

#include "ui/clsImageControl.h"
#include "ui/clsLogPane.h"
#include "ui/clsSHBrowseForFolder.h"
#include "util/clsStringList.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <deque>
#include <filesystem>
#include <optional>

using namespace UiTest;

namespace {

const QString kHeavy = QString(40, QLatin1Char('='));
const QString kLight = QString(40, QLatin1Char('-'));
const QString kEnd = QStringLiteral("チェックを終了しました。");

// Published check values of "123456789" and "abc".
constexpr const char* kNumbers = "123456789";
constexpr const char* kNumbersCrc32 = "CBF43926";
constexpr const char* kNumbersCrc16 = "BB3D";
constexpr const char* kAbcMd5 = "900150983cd24fb0d6963f7d28e17f72";

QStringList Summary(int correct, int size, int digest, int missing, int unknown) {
    return {kLight,
            QStringLiteral("○: %1 (正常)").arg(correct),
            QStringLiteral("△: %1 (サイズが不一致)").arg(size),
            QStringLiteral("▲: %1 (CRC/MDが不一致)").arg(digest),
            QStringLiteral("×: %1 (存在しない)").arg(missing),
            QStringLiteral("？: %1 (不明なエラー)").arg(unknown)};
}

QAction* Item(frmMain& window, const char* name) {
    return window.findChild<QAction*>(QString::fromLatin1(name));
}

// A folder with data files and three lists beside them.
struct ListFiles {
    TempFolder folder;
    std::string crc32List, md5List, crc16List;

    ListFiles() {
        folder.Write("numbers.bin", kNumbers);
        folder.Write("abc.txt", "abc");
        crc32List =
            folder.Write("first.sfv", std::string("numbers.bin ") + kNumbersCrc32 + " 9\r\nabsent.bin 12345678\r\n");
        md5List = folder.Write("second.md5", std::string("abc.txt ") + kAbcMd5 + "\r\n");
        crc16List = folder.Write("third.crc", std::string("numbers.bin ") + kNumbersCrc16 + " 8\r\n");
    }
};

QStringList ExpectedForThreeLists() {
    QStringList lines;
    lines << kHeavy << QStringLiteral("○ numbers.bin [%1]").arg(QLatin1String(kNumbersCrc32))
          << QStringLiteral("× absent.bin") << Summary(1, 0, 0, 1, 0);
    lines << kHeavy << QStringLiteral("○ abc.txt [%1]").arg(QLatin1String(kAbcMd5)) << Summary(1, 0, 0, 0, 0);
    lines << kHeavy << QStringLiteral("△ numbers.bin") << Summary(0, 1, 0, 0, 0);
    lines << kHeavy << kEnd;
    return lines;
}

} // namespace

class CheckRequestTest : public QObject {
    Q_OBJECT

private slots:
    void dragOverReportsLinkOnlyForFilesWhileIdle_data() {
        QTest::addColumn<bool>("files");
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("files, idle") << true << QStringLiteral("idle") << true;
        QTest::newRow("plain text, idle") << false << QStringLiteral("idle") << false;
        QTest::newRow("files, check requested") << true << QStringLiteral("requested") << false;
        QTest::newRow("files, check running") << true << QStringLiteral("running") << false;
    }

    void dragOverReportsLinkOnlyForFilesWhileIdle() {
        QFETCH(bool, files);
        QFETCH(QString, state);
        QFETCH(bool, accepted);
        AppFixture app;
        frmMain& window = app.Start();
        if (state == QStringLiteral("requested")) {
            window.Timer().start(10000);
        } else if (state == QStringLiteral("running")) {
            window.SetDropBoxBusy(true);
        }
        QMimeData text;
        text.setText(QStringLiteral("/tmp/a.sfv"));
        std::unique_ptr<QMimeData> data = FileData({"/tmp/a.sfv"});
        const DropOutcome outcome = DragOver(window.DropBox(), files ? *data : text, Qt::LeftButton);
        QCOMPARE(outcome.overAccepted, accepted);
        QCOMPARE(outcome.overAction, accepted ? Qt::LinkAction : Qt::IgnoreAction);
    }

    void dragOverKeepsTheButtons_data() {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("kept");
        QTest::newRow("left") << int(Qt::LeftButton) << 1;
        QTest::newRow("right") << int(Qt::RightButton) << 2;
        QTest::newRow("middle") << int(Qt::MiddleButton) << 4;
        QTest::newRow("left and right") << int(Qt::LeftButton | Qt::RightButton) << 3;
    }

    void dragOverKeepsTheButtons() {
        QFETCH(int, buttons);
        QFETCH(int, kept);
        AppFixture app;
        frmMain& window = app.Start();
        QCOMPARE(window.DragButton(), 0);
        QMimeData text;
        text.setText(QStringLiteral("x")); // kept for refused data too
        DragOver(window.DropBox(), text, Qt::MouseButtons(buttons));
        QCOMPARE(window.DragButton(), kept);
    }

    void leftDropChecksEveryListInDropOrder() {
        ListFiles lists;
        AppFixture app;
        frmMain& window = app.Start();
        window.AddLog("from an earlier run");
        const DropOutcome outcome =
            DragAndDrop(window.DropBox(), *FileData({lists.crc32List, lists.md5List, lists.crc16List}), Qt::LeftButton);
        QVERIFY(outcome.dropAccepted);
        QCOMPARE(outcome.dropAction, Qt::LinkAction);
        QVERIFY(window.Timer().isActive());
        QCOMPARE(window.DropFiles()->Count(), 3);
        QCOMPARE(window.DropFiles()->Item(1), lists.md5List);
        QVERIFY(window.CheckFolder().empty());
        QVERIFY(WaitForIdle(window));
        QCOMPARE(LogLines(window), ExpectedForThreeLists());
        QCOMPARE(window.LogPane()->SelectedIndex(), LogLines(window).size() - 1);
        QCOMPARE(window.DropBox()->Picture().cacheKey(), window.DropBoxPicture().cacheKey());
    }

    void leftAndRightTogetherChecksAtOnce() {
        ListFiles lists;
        AppFixture app;
        frmMain& window = app.Start();
        auto menu = OnNextPopup([](QMenu* popup) { QTest::keyClick(popup, Qt::Key_Escape); });
        DragAndDrop(window.DropBox(), *FileData({lists.md5List}), Qt::LeftButton | Qt::RightButton);
        QVERIFY(window.Timer().isActive());
        QVERIFY(WaitForIdle(window));
        QVERIFY(!*menu);
    }

    void rightDropOffersTheDropMenu_data() {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<bool>("runs");
        QTest::newRow("check") << QStringLiteral("check") << true;
        QTest::newRow("cancel item") << QStringLiteral("cancel") << false;
        QTest::newRow("escape") << QStringLiteral("escape") << false;
    }

    void rightDropOffersTheDropMenu() {
        QFETCH(QString, choice);
        QFETCH(bool, runs);
        ListFiles lists;
        AppFixture app;
        frmMain& window = app.Start();
        QString menuName;
        QAction* defaultItem = nullptr;
        auto opened = OnNextPopup([&](QMenu* menu) {
            menuName = menu->objectName();
            defaultItem = menu->defaultAction();
            if (choice == QStringLiteral("check")) {
                ClickMenuItem(menu, Item(window, "mnuDragDropCheck"));
            } else if (choice == QStringLiteral("cancel")) {
                ClickMenuItem(menu, Item(window, "mnuDragDropCancel"));
            } else {
                QTest::keyClick(menu, Qt::Key_Escape);
            }
        });
        const DropOutcome outcome = DragAndDrop(window.DropBox(), *FileData({lists.md5List}), Qt::RightButton);
        QVERIFY(*opened);
        QVERIFY(outcome.dropAccepted);
        QCOMPARE(menuName, QStringLiteral("mnuDragDrop"));
        QCOMPARE(defaultItem, Item(window, "mnuDragDropCheck"));
        QCOMPARE(window.Timer().isActive(), runs);
        if (runs) {
            QVERIFY(WaitForIdle(window));
            QCOMPARE(LogLines(window).size(), 10);
        } else {
            // The names stay until the next accepted drop replaces them.
            QCOMPARE(window.DropFiles()->Count(), 1);
            QTest::qWait(80);
            QVERIFY(LogLines(window).isEmpty());
        }
    }

    void checkAgainstAChosenFolder() {
        ListFiles lists;
        TempFolder other;
        other.Write("abc.txt", "abd"); // same size, other digest
        AppFixture app;
        frmMain& window = app.Start();
        std::string titleAsked;
        window.FolderBrowser()->setChooser([&](QWidget*, const std::string& title) -> std::optional<std::string> {
            titleAsked = title;
            return other.Path();
        });
        auto opened = OnNextPopup([&](QMenu* menu) { ClickMenuItem(menu, Item(window, "mnuDragDropCheckFor")); });
        DragAndDrop(window.DropBox(), *FileData({lists.md5List}), Qt::RightButton);
        QVERIFY(*opened);
        QCOMPARE(titleAsked, std::string("コピー先を指定してください。"));
        QCOMPARE(window.FolderBrowser()->hWnd(), &window);
        QCOMPARE(window.FolderBrowser()->Options(), 1);
        QCOMPARE(window.FolderBrowser()->RootFolder(), 0);
        QCOMPARE(window.CheckFolder(), other.Path());
        QVERIFY(WaitForIdle(window));
        QCOMPARE(LogLines(window).at(1), QStringLiteral("▲ abc.txt [%1]").arg(QLatin1String(kAbcMd5)));
        QVERIFY(window.CheckFolder().empty());

        // The next left drop checks beside the list again.
        DragAndDrop(window.DropBox(), *FileData({lists.md5List}), Qt::LeftButton);
        QVERIFY(WaitForIdle(window));
        QCOMPARE(LogLines(window).at(1), QStringLiteral("○ abc.txt [%1]").arg(QLatin1String(kAbcMd5)));
    }

    void anUnusableFolderIsAskedForAgain() {
        ListFiles lists;
        AppFixture app;
        frmMain& window = app.Start();
        std::deque<std::optional<std::string>> answers = {std::string(), std::string("relative/folder"),
                                                          lists.folder.Path()};
        int asked = 0;
        window.FolderBrowser()->setChooser([&](QWidget*, const std::string&) {
            ++asked;
            auto answer = answers.front();
            answers.pop_front();
            return answer;
        });
        std::vector<std::unique_ptr<MessageSeen>> warnings;
        // Each warning box is answered by its own watcher, armed when the one before has been seen.
        std::function<void()> arm = [&] { warnings.push_back(AnswerNextMessage()); };
        arm();
        QTimer rearm;
        QObject::connect(&rearm, &QTimer::timeout, [&] {
            if (warnings.back()->seen && warnings.size() < 2) {
                arm();
            }
        });
        rearm.start(5);
        auto opened = OnNextPopup([&](QMenu* menu) { ClickMenuItem(menu, Item(window, "mnuDragDropCheckFor")); });
        DragAndDrop(window.DropBox(), *FileData({lists.md5List}), Qt::RightButton);
        QVERIFY(*opened);
        QCOMPARE(asked, 3);
        QCOMPARE(warnings.size(), std::size_t(2));
        for (const auto& warning : warnings) {
            QVERIFY(warning->seen);
            QCOMPARE(warning->title, QStringLiteral("Ferrule"));
            QCOMPARE(warning->text, QStringLiteral("フォルダの指定が無効です。別の場所を指定してください。"));
            QCOMPARE(warning->icon, int(QMessageBox::Warning));
        }
        QCOMPARE(window.CheckFolder(), lists.folder.Path());
        QVERIFY(WaitForIdle(window));
    }

    void cancellingTheFolderChoiceRequestsNothing() {
        ListFiles lists;
        AppFixture app;
        frmMain& window = app.Start();
        window.FolderBrowser()->setChooser([](QWidget*, const std::string&) { return std::optional<std::string>(); });
        auto opened = OnNextPopup([&](QMenu* menu) { ClickMenuItem(menu, Item(window, "mnuDragDropCheckFor")); });
        DragAndDrop(window.DropBox(), *FileData({lists.md5List}), Qt::RightButton);
        QVERIFY(*opened);
        QVERIFY(!window.Timer().isActive());
        QCOMPARE(window.DropFiles()->Count(), 1);
        QVERIFY(window.FolderBrowser()->PathName().empty());
    }

    void dropsAreRefusedWhileACheckIsRequested() {
        ListFiles lists;
        AppFixture app;
        frmMain& window = app.Start();
        DragAndDrop(window.DropBox(), *FileData({lists.md5List}), Qt::LeftButton);
        QVERIFY(window.Timer().isActive());
        const DropOutcome second =
            DragAndDrop(window.DropBox(), *FileData({lists.crc32List, lists.crc16List}), Qt::LeftButton);
        QVERIFY(!second.dropAccepted);
        QCOMPARE(second.dropAction, Qt::IgnoreAction);
        QCOMPARE(window.DropFiles()->Count(), 1);
        QVERIFY(WaitForIdle(window));
        QCOMPARE(LogLines(window).size(), 10); // only the first drop was checked
    }

    void aDropIsRefusedWhenACheckWasRequestedDuringTheDrag_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("requested") << QStringLiteral("requested");
        QTest::newRow("running") << QStringLiteral("running");
    }

    void aDropIsRefusedWhenACheckWasRequestedDuringTheDrag() {
        QFETCH(QString, change);
        ListFiles lists;
        AppFixture app;
        frmMain& window = app.Start();
        const DropOutcome outcome = DragAndDrop(window.DropBox(), *FileData({lists.md5List}), Qt::LeftButton, [&] {
            if (change == QStringLiteral("requested")) {
                window.Timer().start(10000);
            } else {
                window.SetDropBoxBusy(true);
            }
        });
        QVERIFY(outcome.overAccepted);
        QVERIFY(!outcome.dropAccepted);
        QCOMPARE(window.DropFiles()->Count(), 0);
    }

    void theRunShowsTheBusyDropBoxAndRefusesDrops() {
        ListFiles lists;
        AppFixture app;
        frmMain& window = app.Start();
        bool sawBusy = false;
        bool secondRefused = false;
        bool tried = false;
        // Runs while the check yields to the event loop before its first entry.
        QTimer during;
        QObject::connect(&during, &QTimer::timeout, &window, [&] {
            if (tried || window.DropBox()->isEnabled()) {
                return;
            }
            tried = true;
            sawBusy = window.DropBox()->Picture().cacheKey() == window.DropBoxPictureBusy().cacheKey();
            const DropOutcome outcome = DragAndDrop(window.DropBox(), *FileData({lists.crc32List}), Qt::LeftButton);
            secondRefused = !outcome.overAccepted && !outcome.dropAccepted;
        });
        during.start(0);
        DragAndDrop(window.DropBox(), *FileData({lists.md5List}), Qt::LeftButton);
        QVERIFY(WaitForIdle(window));
        QVERIFY(tried);
        QVERIFY(sawBusy);
        QVERIFY(secondRefused);
        QVERIFY(window.DropBox()->isEnabled());
        QCOMPARE(window.DropBox()->Picture().cacheKey(), window.DropBoxPicture().cacheKey());
        QCOMPARE(LogLines(window).size(), 10);
    }

    void anErrorInTheRunIsShownAndTheWindowBecomesIdle() {
        ListFiles lists;
        TempFolder notAList;
        AppFixture app;
        frmMain& window = app.Start();
        auto message = AnswerNextMessage();
        // A folder cannot be read as a list: the run stops there.
        DragAndDrop(window.DropBox(), *FileData({lists.md5List, notAList.Path(), lists.crc32List}), Qt::LeftButton);
        QTRY_VERIFY(message->seen);
        QVERIFY(WaitForIdle(window));
        QCOMPARE(message->title, QStringLiteral("Ferrule"));
        QCOMPARE(message->icon, int(QMessageBox::Critical));
        QVERIFY(!message->text.isEmpty());
        // The lines of the first list stay; nothing of the third list or the closing lines.
        QStringList expected;
        expected << kHeavy << QStringLiteral("○ abc.txt [%1]").arg(QLatin1String(kAbcMd5)) << Summary(1, 0, 0, 0, 0);
        QCOMPARE(LogLines(window), expected);
        QVERIFY(window.DropBox()->isEnabled());
        QCOMPARE(window.DropBox()->Picture().cacheKey(), window.DropBoxPicture().cacheKey());
        QCOMPARE(window.DropFiles()->Count(), 0);
        QVERIFY(window.CheckFolder().empty());

        // And the next drop works.
        DragAndDrop(window.DropBox(), *FileData({lists.md5List}), Qt::LeftButton);
        QVERIFY(WaitForIdle(window));
        QCOMPARE(LogLines(window).last(), kEnd);
    }

    void rightClickOnTheDropBoxOpensTheMainMenu() {
        AppFixture app;
        frmMain& window = app.Start();
        QString name;
        auto opened = OnNextPopup([&](QMenu* menu) {
            name = menu->objectName();
            QTest::keyClick(menu, Qt::Key_Escape);
        });
        QTest::mouseClick(window.DropBox(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
        QTest::qWait(50);
        QVERIFY(!*opened);
        QTest::mouseClick(window.DropBox(), Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
        QTRY_VERIFY(*opened);
        QCOMPARE(name, QStringLiteral("mnuMain"));
    }

    void closingDuringARunEndsItAndSavesTheSettings() {
        TempFolder data;
        std::string list;
        for (int i = 0; i < 400; ++i) {
            std::string name = "f"; // appended in steps: GCC 12 warns falsely about "literal" + std::string&&
            name += std::to_string(i);
            name += ".bin";
            data.Write(name, kNumbers);
            list += name + " " + kNumbersCrc32 + "\r\n";
        }
        const std::string listPath = data.Write("many.sfv", list);
        AppFixture app;
        frmMain& window = app.Start();
        window.move(12, 34);
        QSignalSpy unloaded(&window, &frmMain::Unloaded);
        // A close request that arrives while the check yields, once it has written a few lines.
        QTimer during;
        QObject::connect(&during, &QTimer::timeout, &window, [&] {
            if (window.isVisible() && window.LogModel().Count() >= 5) {
                window.close();
            }
        });
        during.start(0);
        DragAndDrop(window.DropBox(), *FileData({listPath}), Qt::LeftButton);
        QTRY_COMPARE(unloaded.count(), 1);
        QTest::qWait(50);
        QVERIFY(!window.isVisible());
        QVERIFY(window.LogModel().Count() < 100);
        QVERIFY(!LogLines(window).contains(kEnd));
        QVERIFY(window.DropBox()->isEnabled() == false); // nothing of the window was touched after the close
        QVERIFY(ReadAll(app.SettingsPath()).find("WindowLeft=12") != std::string::npos);
    }

    void theLogMatchesFerruleCheckOnTheSameLists() {
        TempFolder data;
        data.Write("numbers.bin", kNumbers);
        data.Write("abc.txt", "abc");
        data.Write("Mixed Case.DAT", "abc");
        data.Write("empty.bin", "");
        std::filesystem::create_directory(data.File("sub"));
        data.Write("sub/inner.bin", kNumbers);
        const std::string lists[] = {
            data.Write("all.sfv", std::string("; a comment line\r\nnumbers.bin ") + kNumbersCrc32 +
                                      "\r\nabc.txt 00000000 3\r\nabc.txt.bak 12345678\r\nempty.bin 00000000 "
                                      "0\r\nsub/inner.bin " +
                                      kNumbersCrc32 + " 10\r\nmixed case.dat " + kAbcMd5 + "\r\n"),
            data.Write("second.md5", std::string("abc.txt ") + kAbcMd5 + "\r\nsub " + kAbcMd5 + "\r\n"),
            data.Write("nothing.crc", "no entry here at all\r\n"),
            data.Write("numbers.bin.crc", kNumbersCrc16),
        };
        AppFixture app;
        frmMain& window = app.Start();
        DragAndDrop(window.DropBox(), *FileData({lists[0], lists[1], lists[2], lists[3]}), Qt::LeftButton);
        QVERIFY(WaitForIdle(window));

        QProcess cli;
        cli.start(QStringLiteral(FERRULE_CHECK_PATH),
                  {QString::fromStdString(lists[0]), QString::fromStdString(lists[1]), QString::fromStdString(lists[2]),
                   QString::fromStdString(lists[3])});
        QVERIFY(cli.waitForFinished(30000));
        QString output = QString::fromUtf8(cli.readAllStandardOutput());
        QVERIFY(output.endsWith(QLatin1Char('\n')));
        output.chop(1);
        const QStringList expected = output.split(QLatin1Char('\n'));
        QVERIFY(expected.size() > 10);
        QCOMPARE(LogLines(window), expected);
    }
};

FERRULE_UI_TEST(CheckRequestTest);

#include "CheckRequestTest.moc"
