// The edges of a run on its own thread: requests that come as it ends, a stop asked as it begins, and
// listed files that cannot be read.
#include "UiTest.h"

#include "ui/clsQueuedCheckHost.h"

#include <QClipboard>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace UiTest;

namespace {

const QString kHeavy(40, u'=');
const QString kEnd = u"チェックを終了しました。"_s;
const QString kStopped = u"チェックを中止しました。"_s;
const std::string kAbcMd5 = "900150983cd24fb0d6963f7d28e17f72";

QStringList Summary(int correct, int undetermined) {
    return {QString(40, u'-'),          u"○: %1 (正常)"_s.arg(correct), u"△: 0 (サイズが不一致)"_s,
            u"▲: 0 (CRC/MDが不一致)"_s, u"×: 0 (存在しない)"_s,         u"？: %1 (不明なエラー)"_s.arg(undetermined)};
}

// Two lists of one file each, and the log each gives alone.
struct TwoLists {
    TempFolder folder;
    std::string abc = folder.Write("abc.txt", "abc");
    std::string numbers = folder.Write("numbers.bin", "123456789");
    std::string first = folder.Write("first.md5", "abc.txt " + kAbcMd5 + "\r\n");
    std::string second = folder.Write("second.sfv", "numbers.bin CBF43926\r\n");
    QStringList firstLog = QStringList{kHeavy, u"○ abc.txt [900150983cd24fb0d6963f7d28e17f72]"_s} + Summary(1, 0) +
                           QStringList{kHeavy, kEnd};
    QStringList secondLog =
        QStringList{kHeavy, u"○ numbers.bin [CBF43926]"_s} + Summary(1, 0) + QStringList{kHeavy, kEnd};
};

// Runs `act` before each call the run queued for the window, from the one after its closing line up to its
// end reaching the window (RunFinished), which comes last. One run only: the next begins after the same line.
class AtRunEnd {
public:
    AtRunEnd(frmMain& window, std::function<void()> act) {
        m_Connections[0] = QObject::connect(window.RunHost(), &clsQueuedCheckHost::AboutToApply, window.RunHost(),
                                            [&window, act = std::move(act), this] {
                                                const clsLogModel& log = window.LogModel();
                                                if (m_Armed && window.CheckRunning() && log.Count() > 0 &&
                                                    log.Line(log.Count() - 1) == kEnd) {
                                                    ++m_Calls;
                                                    act();
                                                }
                                            });
        // Armed from the first run's start to the next one's.
        m_Connections[1] =
            QObject::connect(&window.Timer(), &QTimer::timeout, &window.Timer(), [this] { m_Armed = m_Runs++ == 0; });
    }
    ~AtRunEnd() {
        for (const QMetaObject::Connection& connection : m_Connections) {
            QObject::disconnect(connection);
        }
    }
    AtRunEnd(const AtRunEnd&) = delete;
    AtRunEnd& operator=(const AtRunEnd&) = delete;
    int Calls() const { return m_Calls; }

private:
    QMetaObject::Connection m_Connections[2];
    bool m_Armed = false;
    int m_Runs = 0;
    int m_Calls = 0;
};

struct RequestRow {
    const char* name;
    bool drop;       // else lists from outside
    int busyAfterMs; // the window kept from its events after the request, so that its end comes late
};

#ifdef Q_OS_UNIX
// The text the log menu of `pane` copies to the clipboard.
QString CopiedFrom(clsLogPane* pane) {
    QGuiApplication::clipboard()->setText(u"old"_s);
    auto menu = OnPopup([&](QMenu* popup) {
        ClickMenuItem(popup, pane->CopyAllItem());
        popup->close();
    });
    QTest::mouseClick(pane->List()->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(10, 5));
    return menu->Seen() == 1 ? QGuiApplication::clipboard()->text() : QString();
}

QStringList ViewLines(clsLogPane* pane) {
    QStringList lines;
    const QAbstractItemModel* model = pane->List()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        lines << model->index(row, 0).data().toString();
    }
    return lines;
}
#endif

} // namespace

Q_DECLARE_METATYPE(RequestRow)

class RunEdgesTest : public QObject {
    Q_OBJECT

private slots:
    void aRequestAsARunEndsIsRefusedVisiblyAndTheNextIsChecked_data() {
        AddRows<RequestRow>({{"drop", true, 0},
                             {"lists from outside", false, 0},
                             {"drop, the end late", true, 120},
                             {"lists from outside, the end late", false, 120}});
    }
    void aRequestAsARunEndsIsRefusedVisiblyAndTheNextIsChecked() {
        QFETCH(RequestRow, row);
        TwoLists lists;
        App app;
        frmMain& window = app.Start();
        const auto request = [&] {
            if (row.drop) {
                return Drop(window.DropBox(), {lists.second}, Qt::LeftButton) ==
                       std::pair(Qt::LinkAction, Qt::LinkAction);
            }
            return window.OpenLists({lists.second});
        };
        int taken = 0;
        {
            AtRunEnd atEnd(window, [&] {
                // A refused drag is refused as it moves too: the user sees the no-drop pointer.
                taken += request() ? 1 : 0;
                if (row.busyAfterMs > 0) {
                    QTest::qWait(row.busyAfterMs);
                }
            });
            QVERIFY(window.OpenLists({lists.first}));
            QVERIFY(app.WaitForIdle());
            QVERIFY(atEnd.Calls() > 0);
        }
        QCOMPARE(taken, 0);
        QTest::qWait(120); // a request taken by mistake would have started its run by now
        QVERIFY(!window.CheckRunning());
        QVERIFY(!window.Timer().isActive());
        QCOMPARE(app.LogLines(), lists.firstLog);
        // Once the run's end has reached the window, the same request is taken and checked.
        QVERIFY(request());
        QVERIFY(app.WaitForIdle());
        QCOMPARE(app.LogLines(), lists.secondLog);
    }

    void aStopRightAfterTheTickStopsThatRun_data() {
        QTest::addColumn<bool>("menu");
        QTest::newRow("Escape") << false;
        QTest::newRow("stop menu") << true;
    }
    void aStopRightAfterTheTickStopsThatRun() {
        QFETCH(bool, menu);
        TempFolder data;
        const std::string list = LargeFilesList(data, 2);
        App app;
        frmMain& window = app.Start();
        std::unique_ptr<Watcher> stopItem;
        // Connected after the window's own handler, so called right after it: the run thread has just begun.
        QObject::connect(&window.Timer(), &QTimer::timeout, &window, [&] {
            QVERIFY(window.CheckRunning());
            if (menu) {
                stopItem = OnPopup([](QMenu* popup) { ClickMenuItem(popup, u"mnuCheckCancel"_s); });
                QTest::mouseClick(window.DropBox(), Qt::RightButton, Qt::NoModifier, QPoint(30, 30));
            } else {
                QTest::keyClick(&window, Qt::Key_Escape);
            }
        });
        QVERIFY(window.OpenLists({list}));
        QVERIFY(app.WaitForIdle());
        QCOMPARE(app.LogLines().last(), kStopped);
    }

    void aStopAsARunEndsLeavesTheNextRunAlone() {
        TwoLists lists;
        App app;
        frmMain& window = app.Start();
        {
            // Still running for the window, but past its last yield: the stop comes too late for that run.
            AtRunEnd atEnd(window, [&] { QTest::keyClick(&window, Qt::Key_Escape); });
            QVERIFY(window.OpenLists({lists.first}));
            QVERIFY(app.WaitForIdle());
            QVERIFY(atEnd.Calls() > 0);
        }
        QCOMPARE(app.LogLines(), lists.firstLog);
        QVERIFY(window.OpenLists({lists.second}));
        QVERIFY(app.WaitForIdle());
        QCOMPARE(app.LogLines(), lists.secondLog);
    }

#ifdef Q_OS_UNIX
    void anUnreadableListedFileGetsItsOwnLineInEveryView() {
        TwoLists lists;
        const std::string fifo = lists.folder.File("pipe.bin");
        QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
        // Should a reader wait on the pipe for a writer, the test ends instead of hanging at the close.
        struct Unblock {
            std::string path;
            ~Unblock() {
                const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    ::close(fd);
                }
            }
        };
        const std::string list =
            lists.folder.Write("mixed.md5", "pipe.bin " + kAbcMd5 + "\r\nabc.txt " + kAbcMd5 + "\r\n");
        App app;
        Unblock unblock{fifo};
        frmMain& window = app.Start();
        MessageBoxes boxes;
        Drop(window.DropBox(), {list}, Qt::LeftButton);
        QVERIFY(app.WaitForIdle());
        const QString unread = u"？ pipe.bin [読み取りエラー: 通常のファイルではありません]"_s;
        const QStringList log = QStringList{kHeavy, unread, u"○ abc.txt [900150983cd24fb0d6963f7d28e17f72]"_s} +
                                Summary(1, 1) + QStringList{kHeavy, kEnd};
        QCOMPARE(app.LogLines(), log);
        QCOMPARE(boxes.shown, QStringList());
        window.LogModel().Flush();
        QCOMPARE(ViewLines(window.LogPane()), log);
        QCOMPARE(CopiedFrom(window.LogPane()), log.join(u"\r\n"_s) + u"\r\n"_s);
        window.SetLogWindowVisible(true);
        QVERIFY(QTest::qWaitForWindowExposed(window.LogWindow()));
        QCOMPARE(ViewLines(window.LogWindow()->LogPane()), log);
        QCOMPARE(CopiedFrom(window.LogWindow()->LogPane()), log.join(u"\r\n"_s) + u"\r\n"_s);
    }
#endif
};

FERRULE_UI_TEST(RunEdgesTest);

#include "RunEdgesTest.moc"
