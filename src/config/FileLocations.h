// Where the settings file and the theme folders are: beside the program for a portable copy, in the
// user's XDG folders for an installed one. The one place that decides; nothing else guesses paths.
#pragma once

#include <string>
#include <vector>

/// What the decision looks at, gathered from the running system by CurrentFileLocations.
struct LocationFacts {
    std::string executablePath;           // full path of the running program
    bool executableFolderWritable = true; // false when no file can be made beside the program
    bool runsFromInstall = false;         // the program's folder is the install's bin folder
    std::string installedDataFolder;      // the install's data folder (share), its themes under ferrule/theme
    std::string homeFolder;               // the user's home; "" when unknown
    std::string configHome;               // $XDG_CONFIG_HOME as set; "" when unset
    std::string dataHome;                 // $XDG_DATA_HOME as set; "" when unset
};

struct FileLocations {
    /// True for an installed copy (or one whose folder cannot be written): the settings and extra
    /// themes live in the user's folders.
    bool inUserFolders = false;
    /// Full path of the settings file; "" when there is nowhere to keep one.
    std::string settingsFile;
    /// Folders searched for theme files, first wins, each ending in a separator.
    std::vector<std::string> themeFolders;
};

/// The decision itself. A portable copy keeps its settings file beside the executable, named after it,
/// and its themes in theme/ there. An installed copy, or one in a folder it cannot write, keeps
/// $XDG_CONFIG_HOME/ferrule/ferrule.ini (~/.config when the variable is unset or not absolute) and looks
/// for themes beside the executable, in $XDG_DATA_HOME/ferrule/theme (~/.local/share) and in the install.
FileLocations DecideFileLocations(const LocationFacts& facts);

/// The facts of the running system for the program at `executablePath`, decided.
FileLocations CurrentFileLocations(const std::string& executablePath);
