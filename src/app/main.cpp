// Ferrule's desktop application: read the command line, hand the lists to a window already running or
// create the main window, load it, and run the message loop.
#include "FerruleVersion.h"
#include "config/FileLocations.h"
#include "ui/DesktopArguments.h"
#include "ui/frmMain.h"
#include "ui/mdlApplication.h"
#ifdef FERRULE_SINGLE_INSTANCE
#include "ui/clsInstanceChannel.h"
#endif

#include <QApplication>
#include <QDir>

#include <cstdio>

#ifdef FERRULE_SINGLE_INSTANCE
namespace {

QStringList ToQStrings(const std::vector<std::string>& lists) {
    QStringList paths;
    for (const std::string& list : lists) {
        paths << QString::fromStdString(list);
    }
    return paths;
}

std::vector<std::string> ToStrings(const QStringList& lists) {
    std::vector<std::string> paths;
    for (const QString& list : lists) {
        paths.push_back(list.toStdString());
    }
    return paths;
}

} // namespace
#endif

int main(int argc, char** argv) {
    // Read before the application object exists: --help and --version need no display.
    QStringList words;
    for (int i = 1; i < argc; ++i) {
        words << QString::fromLocal8Bit(argv[i]);
    }
    const DesktopArguments arguments = ParseDesktopArguments(words, QDir::currentPath());
    switch (arguments.action) {
        case DesktopArguments::Action::Help:
            std::fputs(qUtf8Printable(DesktopUsage()), stdout);
            return 0;
        case DesktopArguments::Action::Version:
            std::printf("ferrule %s\n", FERRULE_VERSION_TEXT);
            return 0;
        case DesktopArguments::Action::Error:
            std::fprintf(stderr, "ferrule: %s\nTry 'ferrule --help' for more information.\n",
                         qUtf8Printable(arguments.error));
            return 2;
        case DesktopArguments::Action::Run:
            break;
    }

    QApplication app(argc, argv);
    SetUpApplication(app);
    const std::string executablePath = frmMain::ApplicationPath();
    const FileLocations locations = CurrentFileLocations(executablePath);
#ifdef FERRULE_SINGLE_INSTANCE
    clsInstanceChannel channel(clsInstanceChannel::NameFor(QString::fromStdString(locations.settingsFile)));
    if (const auto answer = channel.HandOverOrListen(ToQStrings(arguments.lists))) {
        if (*answer == clsInstanceChannel::Answer::Refused) {
            std::fputs("ferrule: the running window is checking; the lists were not opened\n", stderr);
            return 1;
        }
        return 0;
    }
#endif

    frmMain window(executablePath);
    window.setFileLocations(locations);
    QObject::connect(&window, &frmMain::Unloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
#ifdef FERRULE_SINGLE_INSTANCE
    channel.setReceiver([&window](const QStringList& lists) { return window.OpenLists(ToStrings(lists)); });
#endif
    window.Form_Load();
    if (!arguments.lists.empty()) {
        window.OpenLists(arguments.lists);
    }
    return app.exec();
}
