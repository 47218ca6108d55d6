// The desktop program's command line: `ferrule [LIST...]`, lists checked at once as a left-button drop.
#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

struct DesktopArguments {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    /// The lists, as absolute paths in the platform's notation, in the order given.
    std::vector<std::string> lists;
    /// What was wrong, for Action::Error.
    QString error;
};

/// Reads `arguments` (without the program's name). "-h"/"--help" and "-V"/"--version" ask for the help
/// and the version; "--" ends the options, so a list whose name begins with "-" can follow; any other
/// word beginning with "-" is an error. A relative list is taken from `currentFolder`; a file: URL
/// names its local file.
DesktopArguments ParseDesktopArguments(const QStringList& arguments, const QString& currentFolder);

/// The help text of --help.
QString DesktopUsage();
