// Check requests on the drop box and the runs they start, up to the log compared with ferrule-check.
#include "UiTest.h"

#include "ui/clsProgressOverlay.h"
#include "ui/clsSHBrowseForFolder.h"

#include <QProcess>
#include <QSignalSpy>

using namespace UiTest;

namespace {

const QString kHeavy(40, u'=');
const QString kEnd = u"チェックを終了しました。"_s;
// Published check values of "123456789" and "abc".
const std::string kNumbersCrc32 = "CBF43926";
const std::string kAbcMd5 = "900150983cd24fb0d6963f7d28e17f72";

const auto AbcLine = [](const QString& mark) { return mark + u" abc.txt [900150983cd24fb0d6963f7d28e17f72]"_s; };

QStringList Summary(int correct, int size, int missing) {
    return {QString(40, u'-'),          u"○: %1 (正常)"_s.arg(correct),       u"△: %1 (サイズが不一致)"_s.arg(size),
            u"▲: 0 (CRC/MDが不一致)"_s, u"×: %1 (存在しない)"_s.arg(missing), u"？: 0 (不明なエラー)"_s};
}

// Two data files and three lists beside them, and the log of checking the lists in this order.
struct ListFiles {
    TempFolder folder;
    std::string numbers = folder.Write("numbers.bin", "123456789");
    std::string abc = folder.Write("abc.txt", "abc");
    std::vector<std::string> lists = {
        folder.Write("first.sfv", "numbers.bin " + kNumbersCrc32 + " 9\r\nabsent.bin 12345678\r\n"),
        folder.Write("second.md5", "abc.txt " + kAbcMd5 + "\r\n"), folder.Write("third.crc", "numbers.bin BB3D 8\r\n")};
    QStringList log = QStringList{kHeavy, u"○ numbers.bin [CBF43926]"_s, u"× absent.bin"_s} + Summary(1, 0, 1) +
                      QStringList{kHeavy, AbcLine(u"○"_s)} + Summary(1, 0, 0) +
                      QStringList{kHeavy, u"△ numbers.bin"_s} + Summary(0, 1, 0) + QStringList{kHeavy, kEnd};
};

enum State { Idle, Requested, Running };

struct DropRow {
    const char* name;
    bool files; // else plain text
    Qt::MouseButtons buttons;
    State before, during; // as the drag enters, and as it drops
    QString choice;       // in the drop menu; none: the menu must not open
    bool over, dropped, runs;
};

} // namespace

class CheckRequestTest : public QObject {
    Q_OBJECT

private slots:
    void aDropOfFilesWhileIdleChecksAtOnceOrFromTheDropMenu_data() {
        const Qt::MouseButtons left = Qt::LeftButton, right = Qt::RightButton;
        AddRows<DropRow>({{"left", true, left, Idle, Idle, QString(), true, true, true},
                          {"left and right", true, left | right, Idle, Idle, QString(), true, true, true},
                          {"middle", true, Qt::MiddleButton, Idle, Idle, QString(), true, true, true},
                          {"right, check", true, right, Idle, Idle, u"mnuDragDropCheck"_s, true, true, true},
                          {"right, cancel", true, right, Idle, Idle, u"mnuDragDropCancel"_s, true, true, false},
                          {"right, escape", true, right, Idle, Idle, u"escape"_s, true, true, false},
                          {"plain text", false, left, Idle, Idle, QString(), false, false, false},
                          {"check requested", true, left, Requested, Idle, QString(), false, false, false},
                          {"check running", true, left, Running, Idle, QString(), false, false, false},
                          {"requested during the drag", true, left, Idle, Requested, QString(), true, false, false},
                          {"running during the drag", true, left, Idle, Running, QString(), true, false, false}});
    }

    void aDropOfFilesWhileIdleChecksAtOnceOrFromTheDropMenu() {
        QFETCH(DropRow, row);
        ListFiles files;
        App app;
        frmMain& window = app.Start();
        window.AddLog("from an earlier run");
        const auto enter = [&](State state) {
            if (state == Requested) {
                window.Timer().start(10000);
            } else if (state == Running) {
                window.SetDropBoxBusy(true);
            }
        };
        QAction* defaultItem = nullptr;
        auto menu = OnPopup([&](QMenu* popup) {
            defaultItem = popup->defaultAction();
            // A menu that must not open is closed again.
            row.choice.isNull() || row.choice == u"escape"_s ? QTest::keyClick(popup, Qt::Key_Escape)
                                                             : ClickMenuItem(popup, row.choice);
        });
        enter(row.before);
        const auto [over, drop] = Drop(window.DropBox(), row.files ? files.lists : std::vector<std::string>{},
                                       row.buttons, [&] { enter(row.during); });
        QCOMPARE(over, row.over ? Qt::LinkAction : Qt::IgnoreAction);
        QCOMPARE(drop, row.dropped ? Qt::LinkAction : Qt::IgnoreAction);
        QCOMPARE(window.DropFiles()->Count(), row.dropped ? 3 : 0); // kept until the next accepted drop
        QCOMPARE(menu->Seen(), row.choice.isNull() ? 0 : 1);
        QCOMPARE(defaultItem, menu->Seen() != 0 ? window.findChild<QAction*>(u"mnuDragDropCheck"_s) : nullptr);
        if (row.runs) {
            QVERIFY(app.WaitForIdle());
            QCOMPARE(app.LogLines(), files.log);
        } else {
            QTest::qWait(80);
            QCOMPARE(app.LogLines(), QStringList{u"from an earlier run"_s});
        }
    }

    void theFolderChoiceAsksUntilTheFolderIsUsable() {
        ListFiles files;
        TempFolder other;
        other.Write("abc.txt", "abd"); // same size, other digest
        App app;
        frmMain& window = app.Start();
        // The answers, where "other", "lists" and "cancel" stand for what they say, the warnings they give,
        // and the mark of the listed file in the folder checked (none: nothing is checked).
        for (const auto& [answers, warnings, mark] :
             {std::tuple{QStringList{u"other"_s}, 0, u"▲"_s},
              std::tuple{QStringList{u""_s, u"relative/folder"_s, u"lists"_s}, 2, u"○"_s},
              std::tuple{QStringList{u"cancel"_s}, 0, QString()},
              std::tuple{QStringList{u""_s, u"cancel"_s}, 1, QString()}}) {
            QStringList titles;
            QWidget* owner = nullptr;
            window.FolderBrowser()->setChooser(
                [&](QWidget* parent, const std::string& title) -> std::optional<std::string> {
                    const QString answer = answers.value(titles.size(), u"cancel"_s);
                    titles << QString::fromStdString(title);
                    owner = parent;
                    if (answer == u"cancel"_s) {
                        return std::nullopt;
                    }
                    return answer == u"other"_s   ? other.Path()
                           : answer == u"lists"_s ? files.folder.Path()
                                                  : answer.toStdString();
                });
            MessageBoxes boxes;
            auto menu = OnPopup([&](QMenu* popup) { ClickMenuItem(popup, u"mnuDragDropCheckFor"_s); });
            Drop(window.DropBox(), {files.lists[1]}, Qt::RightButton);
            QCOMPARE(titles, QStringList(answers.size(), u"コピー先を指定してください。"_s));
            QCOMPARE(owner, &window);
            QCOMPARE(boxes.shown,
                     QStringList(warnings, u"Ferrule|2|フォルダの指定が無効です。別の場所を指定してください。"_s));
            QCOMPARE(window.Timer().isActive(), !mark.isNull());
            if (!mark.isNull()) {
                QVERIFY(app.WaitForIdle());
                QCOMPARE(app.LogLines().at(1), AbcLine(mark));
                Drop(window.DropBox(), {files.lists[1]}, Qt::LeftButton); // beside the list again
                QVERIFY(app.WaitForIdle());
                QCOMPARE(app.LogLines().at(1), AbcLine(u"○"_s));
            }
        }
    }

    void aRunRefusesDropsWhileBusyAndAfterAnErrorBecomesIdle() {
        ListFiles files;
        TempFolder notAList;
        App app;
        frmMain& window = app.Start();
        MessageBoxes boxes;
        bool sawBusy = false;
        std::pair second{Qt::LinkAction, Qt::LinkAction};
        QTimer during; // fires while the run yields before its first entry
        QObject::connect(&during, &QTimer::timeout, &window, [&] {
            if (!window.DropBox()->isEnabled() && !sawBusy) {
                sawBusy = window.DropBox()->Picture().cacheKey() == window.DropBoxPictureBusy().cacheKey();
                second = Drop(window.DropBox(), {files.lists[2]}, Qt::LeftButton);
            }
        });
        during.start(0);
        // A folder cannot be read as a list: the run stops there.
        Drop(window.DropBox(), {files.lists[1], notAList.Path(), files.lists[0]}, Qt::LeftButton);
        QVERIFY(app.WaitForIdle());
        QVERIFY(sawBusy);
        QCOMPARE(second, std::pair(Qt::IgnoreAction, Qt::IgnoreAction));
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown[0].startsWith(u"Ferrule|3|"_s) && boxes.shown[0].size() > 12);
        // The lines of the first list stay; nothing of the other lists, no closing lines.
        QCOMPARE(app.LogLines(), QStringList({kHeavy, AbcLine(u"○"_s)}) + Summary(1, 0, 0));
        QCOMPARE(window.DropBox()->Picture().cacheKey(), window.DropBoxPicture().cacheKey());
        Drop(window.DropBox(), {files.lists[1]}, Qt::LeftButton);
        QVERIFY(app.WaitForIdle());
        QCOMPARE(app.LogLines().last(), kEnd);
    }

    void listsFromOutsideAreCheckedAsALeftDropAndRefusedWhileBusy() {
        ListFiles files;
        App app;
        frmMain& window = app.Start();
        window.showMinimized();
        QVERIFY(window.OpenLists(files.lists));
        QVERIFY(!window.OpenLists({files.lists[0]})); // asked for: refused like a drop
        QVERIFY(app.WaitForIdle());
        QCOMPARE(app.LogLines(), files.log);
        QVERIFY(!window.isMinimized()); // brought forward for its lists
        QVERIFY(window.CheckFolder().empty());

        // No lists: only brought forward, the log untouched. During a run: refused, the run goes on.
        QVERIFY(window.OpenLists({}));
        QCOMPARE(app.LogLines(), files.log);
        TempFolder data;
        QVERIFY(window.OpenLists({LargeFilesList(data, 2)}));
        QTRY_VERIFY(window.CheckRunning());
        QVERIFY(!window.OpenLists({files.lists[1]}));
        QVERIFY(!window.OpenLists({}));
        window.CancelCheck();
        QVERIFY(app.WaitForIdle());
        QVERIFY(window.OpenLists({files.lists[1]}));
        QVERIFY(app.WaitForIdle());
        const QStringList last = QStringList{kHeavy, AbcLine(u"○"_s)} + Summary(1, 0, 0) + QStringList{kHeavy, kEnd};
        QCOMPARE(app.LogLines().mid(app.LogLines().size() - last.size()), last);
    }

    void aBusyDropBoxOpensNoMenuAndADragThatEnteredIsTakenOnceIdle() {
        ListFiles files;
        App app;
        frmMain& window = app.Start();
        window.SetDropBoxBusy(true);
        auto menu = OnPopup([](QMenu* popup) { popup->close(); });
        QTest::mouseClick(window.DropBox(), Qt::RightButton, Qt::NoModifier, QPoint(30, 30));
        QTest::qWait(50);
        QCOMPARE(menu->Seen(), 0);
        // Refused as it enters, the drag is asked again on every move, and taken once the box is idle.
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(files.lists[1]))});
        const QPoint pos(64, 64);
        const Qt::DropActions offered = Qt::CopyAction | Qt::LinkAction;
        QDragEnterEvent enter(pos, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QDragMoveEvent busy(pos, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.DropBox(), &enter);
        QCoreApplication::sendEvent(window.DropBox(), &busy);
        QVERIFY(!busy.isAccepted());
        window.SetDropBoxBusy(false);
        QDragMoveEvent idle(pos, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.DropBox(), &idle);
        QVERIFY(idle.isAccepted());
        QCOMPARE(idle.dropAction(), Qt::LinkAction);
        QDropEvent drop(pos, offered, &data, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.DropBox(), &drop);
        QVERIFY(app.WaitForIdle());
        const QStringList log = QStringList{kHeavy, AbcLine(u"○"_s)} + Summary(1, 0, 0) + QStringList{kHeavy, kEnd};
        QCOMPARE(app.LogLines(), log);
    }

    void closingDuringARunEndsItAndSavesTheSettings() {
        TempFolder data;
        const std::string list = LargeFilesList(data, 16);
        App app;
        frmMain& window = app.Start();
        window.move(12, 34);
        QSignalSpy unloaded(&window, &frmMain::Unloaded);
        QElapsedTimer closing; // a close request a moment into the run
        QTimer during;
        QObject::connect(&during, &QTimer::timeout, &window, [&] {
            if (window.isVisible() && window.CheckRunning()) {
                if (!closing.isValid()) {
                    closing.start();
                } else if (closing.elapsed() > 200) {
                    closing.start();
                    window.close();
                }
            }
        });
        during.start(0);
        Drop(window.DropBox(), {list}, Qt::LeftButton);
        QTRY_COMPARE(unloaded.count(), 1);
        QVERIFY(closing.elapsed() < 3000); // it did not wait for the 4 GiB to be read
        QTest::qWait(50);
        QVERIFY(window.LogModel().Count() < 16);
        QVERIFY(!window.DropBox()->isEnabled()); // nothing of the window was touched after the close
        QVERIFY(app.Saved("WindowLeft=12"));
    }

    void progressShowsDuringALongCheckAndEscapeStopsIt() {
        TempFolder data;
        const std::string list = LargeFilesList(data, 16);
        App app;
        frmMain& window = app.Start();
        QString caption, tip;
        QTimer during; // once a share is shown, the user presses Escape
        QObject::connect(&during, &QTimer::timeout, &window, [&] {
            if (window.ProgressOverlay()->isVisible() && window.ProgressOverlay()->Percent() >= 0 &&
                caption.isEmpty()) {
                caption = window.windowTitle();
                tip = window.DropBox()->toolTip();
                QTest::keyClick(&window, Qt::Key_Escape);
            }
        });
        during.start(10);
        Drop(window.DropBox(), {list}, Qt::LeftButton);
        QVERIFY(app.WaitForIdle());
        QVERIFY2(caption.endsWith(u"% - Ferrule ver.1.01"_s), qPrintable(caption));
        QVERIFY2(tip.startsWith(u"チェック中 (リスト 1 / 1)\n"_s), qPrintable(tip));
        const QStringList lines = app.LogLines();
        QCOMPARE(lines.last(), u"チェックを中止しました。"_s);
        QVERIFY(lines.size() < 16 + 9);
        // The list in progress got its summary for the entries done (each ▲: zeros do not match).
        const qsizetype done = lines.size() - 9;
        QCOMPARE(lines[lines.size() - 8], QString(40, u'-'));
        QCOMPARE(lines[lines.size() - 5], u"▲: %1 (CRC/MDが不一致)"_s.arg(done));
        QCOMPARE(lines[lines.size() - 2], kHeavy);
        // Idle again: the caption, the tooltip and the box as before.
        QCOMPARE(window.windowTitle(), u"Ferrule ver.1.01"_s);
        QCOMPARE(window.DropBox()->toolTip(), u"ここにCRC/MD5ファイルをドロップしてください"_s);
        QVERIFY(!window.ProgressOverlay()->isVisible());
    }

    void theLogMatchesFerruleCheckOnTheSameLists() {
        ListFiles files;
        std::filesystem::create_directory(files.folder.File("sub"));
        files.folder.Write("sub/inner.bin", "123456789");
        files.folder.Write("Mixed Case.DAT", "abc");
        files.folder.Write("empty.bin", "");
        std::vector<std::string> lists = files.lists;
        for (const auto& [name, entries] :
             {std::pair{"all.sfv",
                        "; a comment line\r\nnumbers.bin CBF43926\r\nabc.txt 00000000 3\r\nabc.txt.bak 12345678\r\n"
                        "empty.bin 00000000 0\r\nsub/inner.bin CBF43926 10\r\nmixed case.dat " +
                            kAbcMd5 + "\r\n"},
              std::pair{"more.md5", "abc.txt " + kAbcMd5 + "\r\nsub " + kAbcMd5 + "\r\n"},
              std::pair{"nothing.crc", std::string("no entry here at all\r\n")},
              std::pair{"numbers.bin.crc", std::string("BB3D")}}) {
            lists.push_back(files.folder.Write(name, entries));
        }
        App app;
        Drop(app.Start().DropBox(), lists, Qt::LeftButton);
        QVERIFY(app.WaitForIdle());
        QStringList arguments;
        for (const std::string& list : lists) {
            arguments << QString::fromStdString(list);
        }
        QProcess cli;
        cli.start(QStringLiteral(FERRULE_CHECK_PATH), arguments);
        QVERIFY(cli.waitForFinished(30000));
        const QStringList expected = QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n');
        QVERIFY(expected.size() > 10);
        QCOMPARE(expected.last(), QString()); // every line ends in a line feed
        QCOMPARE(app.LogLines(), expected.mid(0, expected.size() - 1));
    }
};

FERRULE_UI_TEST(CheckRequestTest);

#include "CheckRequestTest.moc"
