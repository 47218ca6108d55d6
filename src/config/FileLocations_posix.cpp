// The facts of a Linux system: the install's folders from the build, the user's from the environment.
#include "config/FileLocations.h"

#include "FerruleInstallDirs.h"
#include "util/PathHelpers.h"

#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace {

// The path with every link resolved, so /bin/ferrule on a merged /usr counts as /usr/bin/ferrule;
// unchanged when it cannot be resolved.
std::string Canonical(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string HomeFolder() {
    std::string home = Environment("HOME");
    if (home.empty()) {
        if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
            home = entry->pw_dir;
        }
    }
    return home;
}

} // namespace

FileLocations CurrentFileLocations(const std::string& executablePath) {
    LocationFacts facts;
    facts.executablePath = executablePath;
    if (!executablePath.empty()) {
        const std::string folder = GetParentFolder(executablePath);
        // Root may write anywhere but a read-only file system: for root the install folder decides.
        facts.executableFolderWritable = ::access(folder.c_str(), W_OK) == 0;
        // The system's program folders count as installed whatever prefix this build was made for, so
        // that a copy put there by hand never keeps its settings among the system's programs.
        const std::string canonical = Canonical(folder);
        facts.runsFromInstall = canonical == Canonical(FERRULE_INSTALL_FULL_BINDIR) || canonical == "/usr/bin" ||
                                canonical == "/usr/local/bin";
    }
    facts.installedDataFolder = FERRULE_INSTALL_FULL_DATADIR;
    facts.homeFolder = HomeFolder();
    facts.configHome = Environment("XDG_CONFIG_HOME");
    facts.dataHome = Environment("XDG_DATA_HOME");
    return DecideFileLocations(facts);
}
