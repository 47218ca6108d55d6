#include "ui/DesktopArguments.h"

#include <QDir>
#include <QUrl>

namespace {

std::string AbsoluteList(const QString& argument, const QString& currentFolder) {
    QString path = argument;
    if (argument.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) {
        path = QUrl(argument).toLocalFile();
    }
    return QDir::toNativeSeparators(QDir::cleanPath(QDir(currentFolder).absoluteFilePath(path))).toStdString();
}

} // namespace

DesktopArguments ParseDesktopArguments(const QStringList& arguments, const QString& currentFolder) {
    DesktopArguments parsed;
    bool options = true;
    for (const QString& argument : arguments) {
        if (options && argument == QStringLiteral("--")) {
            options = false;
        } else if (options && (argument == QStringLiteral("-h") || argument == QStringLiteral("--help"))) {
            return {DesktopArguments::Action::Help, {}, {}};
        } else if (options && (argument == QStringLiteral("-V") || argument == QStringLiteral("--version"))) {
            return {DesktopArguments::Action::Version, {}, {}};
        } else if (options && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            return {DesktopArguments::Action::Error, {}, QStringLiteral("unknown option '%1'").arg(argument)};
        } else if (!argument.isEmpty()) {
            parsed.lists.push_back(AbsoluteList(argument, currentFolder));
        }
    }
    return parsed;
}

QString DesktopUsage() {
    return QStringLiteral(
        "Usage: ferrule [LIST...]\n"
        "Check files against checksum lists in a window: drop lists on the drop box, or name them here.\n"
        "\n"
        "  -h, --help     show this help and exit\n"
        "  -V, --version  show the version and exit\n"
        "\n"
        "Lists named here are checked at once, as lists dropped with the left button are. While Ferrule\n"
        "runs, a second start hands its lists to the running window and ends; while that window is\n"
        "checking, the lists are refused (exit status 1).\n");
}
