// The window during a check: the longest time its event loop is kept from running while a 4 GiB file is
// hashed (measured by a 1 ms timer in the running application), and the time from Escape to idle.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise. Usage: bench_window [GiB]
#include "ui/clsImageControl.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ferrule-bench-XXXXXX").string();
    return ::mkdtemp(pattern.data());
}

void DropLeft(QWidget* target, const std::string& list) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(list))});
    const QPoint pos(64, 64);
    QDragEnterEvent enter(pos, Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDragMoveEvent move(pos, Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(pos, Qt::LinkAction, &data, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QCoreApplication::sendEvent(target, &move);
    QCoreApplication::sendEvent(target, &drop);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const long long gib = argc > 1 ? std::atoll(argv[1]) : 4;
    const std::string folder = TemporaryFolder();
    {
        std::filesystem::resize_file((std::ofstream(folder + "/big.iso"), folder + "/big.iso"), gib << 30);
        std::ofstream(folder + "/big.md5") << "big.iso 0123456789abcdef0123456789abcdef\r\n";
    }
    frmMain window(folder + "/ferrule");
    window.Form_Load();

    // A whole check: the longest gap between the ticks of a 1 ms timer, and how long the check took.
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    const auto idle = [&] {
        return window.DropBox()->isEnabled() && !window.CheckRunning() && !window.Timer().isActive();
    };
    clock.start();
    ticks.start(1);
    DropLeft(window.DropBox(), folder + "/big.md5");
    while (!window.CheckRunning()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    const qint64 started = clock.nsecsElapsed();
    last = started;
    longest = 0;
    while (!idle()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    const double checkSeconds = static_cast<double>(clock.nsecsElapsed() - started) / 1e9;
    std::printf("check of one %lld GiB file: %.2f s, event loop blocked at most %.1f ms\n", gib, checkSeconds,
                static_cast<double>(longest) / 1e6);

    // Escape half-way through the same check, and the time until the window is idle again.
    DropLeft(window.DropBox(), folder + "/big.md5");
    while (!window.CheckRunning()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    const qint64 halfway = clock.nsecsElapsed() + static_cast<qint64>(checkSeconds * 0.5e9);
    while (clock.nsecsElapsed() < halfway) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    const qint64 pressed = clock.nsecsElapsed();
    QCoreApplication::sendEvent(&window, &escape);
    while (!idle()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 1);
    }
    std::printf("Escape to idle: %.1f ms\n", static_cast<double>(clock.nsecsElapsed() - pressed) / 1e6);
    window.close();
    std::filesystem::remove_all(folder);
    return 0;
}
