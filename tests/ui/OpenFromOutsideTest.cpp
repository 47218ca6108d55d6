// Lists from outside the window: the command line, and a second start handing its lists to the window
// already running over the local socket.
#include "UiTest.h"

#include "ui/DesktopArguments.h"

#ifdef FERRULE_SINGLE_INSTANCE
#include "ui/clsInstanceChannel.h"

#include <QLocalSocket>

#include <future>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using namespace UiTest;

namespace {

using Action = DesktopArguments::Action;

struct ArgumentsRow {
    const char* name;
    QStringList arguments;
    Action action;
    std::vector<std::string> lists;
};

#ifdef FERRULE_SINGLE_INSTANCE
// The channel's answer to `lists`, asked from another thread while this one serves the window's side.
std::optional<clsInstanceChannel::Answer> HandOverFromAnotherThread(const QString& name, const QStringList& lists) {
    auto answer = std::async(std::launch::async, [&] { return clsInstanceChannel(name).HandOver(lists, 5000); });
    while (answer.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return answer.get();
}
#endif

} // namespace

Q_DECLARE_METATYPE(ArgumentsRow)

class OpenFromOutsideTest : public QObject {
    Q_OBJECT

private slots:
    void theCommandLineNamesListsAndAsksForHelpOrTheVersion_data() {
        AddRows<ArgumentsRow>({
            {"no arguments", {}, Action::Run, {}},
            {"relative and absolute lists, in order",
             {u"b.md5"_s, u"/x/a.sfv"_s, u"../c.crc"_s},
             Action::Run,
             {"/work/here/b.md5", "/x/a.sfv", "/work/c.crc"}},
            {"a file URL", {u"file:///x/%E5%86%99%E7%9C%9F.md5"_s}, Action::Run, {"/x/写真.md5"}},
            {"after --, a list named like an option",
             {u"--"_s, u"-v.md5"_s, u"--help"_s},
             Action::Run,
             {"/work/here/-v.md5", "/work/here/--help"}},
            {"a lone dash is a file", {u"-"_s}, Action::Run, {"/work/here/-"}},
            {"help", {u"a.md5"_s, u"--help"_s}, Action::Help, {}},
            {"short help", {u"-h"_s}, Action::Help, {}},
            {"version", {u"-V"_s}, Action::Version, {}},
            {"unknown option", {u"a.md5"_s, u"--folder"_s}, Action::Error, {}},
        });
    }
    void theCommandLineNamesListsAndAsksForHelpOrTheVersion() {
        QFETCH(ArgumentsRow, row);
        const DesktopArguments parsed = ParseDesktopArguments(row.arguments, u"/work/here"_s);
        QCOMPARE(parsed.action, row.action);
        QCOMPARE(parsed.lists, row.lists);
        QCOMPARE(parsed.error.isEmpty(), row.action != Action::Error);
    }

#ifdef FERRULE_SINGLE_INSTANCE
    void aSecondStartHandsItsListsToTheRunningWindowWhichMayRefuse() {
        TempFolder folder;
        const QString name = QString::fromStdString(folder.File("channel.socket"));
        clsInstanceChannel running(name);
        QCOMPARE(running.HandOverOrListen({}), std::nullopt); // no one else: this one listens
        QVERIFY(running.Listening());

        QList<QStringList> received;
        bool accept = true;
        running.setReceiver([&](const QStringList& lists) {
            received << lists;
            return accept;
        });
        const QStringList lists = {u"/データ/写真 1.md5"_s, u"/a/b.sfv"_s};
        QCOMPARE(HandOverFromAnotherThread(name, lists), clsInstanceChannel::Answer::Accepted);
        accept = false;
        QCOMPARE(HandOverFromAnotherThread(name, {}), clsInstanceChannel::Answer::Refused);
        QCOMPARE(received, QList<QStringList>({lists, {}}));

        // A second channel of the same name finds the first and hands over instead of listening.
        clsInstanceChannel second(name);
        accept = true;
        auto answer = std::async(std::launch::async, [&] { return second.HandOverOrListen({u"/c.md5"_s}); });
        while (answer.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        QCOMPARE(answer.get(), clsInstanceChannel::Answer::Accepted);
        QVERIFY(!second.Listening());
        QCOMPARE(received.last(), QStringList{u"/c.md5"_s});
    }

    void aStrangerOnTheSocketIsCutOffAndTheWindowStillAnswers() {
        TempFolder folder;
        const QString name = QString::fromStdString(folder.File("channel.socket"));
        clsInstanceChannel running(name);
        running.HandOverOrListen({});
        int calls = 0;
        running.setReceiver([&](const QStringList&) { return ++calls > 0; });
        QLocalSocket stranger;
        stranger.connectToServer(name);
        QVERIFY(stranger.waitForConnected(2000));
        stranger.write("GET / HTTP/1.0\r\n\r\n");
        QTRY_COMPARE(stranger.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(calls, 0);
        QCOMPARE(HandOverFromAnotherThread(name, {u"/a.md5"_s}), clsInstanceChannel::Answer::Accepted);
        QCOMPARE(calls, 1);
    }

    void aSocketLeftByAProgramThatDiedIsTakenOver() {
        TempFolder folder;
        const std::string path = folder.File("channel.socket");
        // A bound socket file with no one listening: what a crashed window leaves behind.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
        QVERIFY(std::filesystem::exists(path));

        clsInstanceChannel running(QString::fromStdString(path));
        QCOMPARE(running.HandOverOrListen({u"/a.md5"_s}), std::nullopt);
        QVERIFY(running.Listening());
        running.setReceiver([](const QStringList&) { return true; });
        QCOMPARE(HandOverFromAnotherThread(QString::fromStdString(path), {}), clsInstanceChannel::Answer::Accepted);
    }

    void theSameSettingsFileGivesTheSameSocketAndOthersAnother() {
        const QString a = clsInstanceChannel::NameFor(u"/home/u/.config/ferrule/ferrule.ini"_s);
        QCOMPARE(clsInstanceChannel::NameFor(u"/home/u/.config/ferrule/ferrule.ini"_s), a);
        QVERIFY(clsInstanceChannel::NameFor(u"/opt/portable/ferrule.ini"_s) != a);
        QVERIFY(a.contains(u"ferrule-"_s));
    }
#endif
};

FERRULE_UI_TEST(OpenFromOutsideTest);

#include "OpenFromOutsideTest.moc"
