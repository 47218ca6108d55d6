#include "config/FileLocations.h"

#include "util/PathHelpers.h"

namespace {

constexpr const char* kSettingsFileName = "ferrule.ini";

// The executable's file name without its last extension ("ferrule.exe" -> "ferrule").
std::string BaseName(const std::string& fileName) {
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || dot == 0) {
        return fileName;
    }
    return fileName.substr(0, dot);
}

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == PathSeparator()) {
        path.pop_back();
    }
    return path;
}

bool IsAbsolute(const std::string& path) {
    return !path.empty() && path.front() == PathSeparator();
}

// An XDG base folder: the variable when it holds an absolute path (the standard says to ignore any
// other), else the fallback under the home folder; "" when neither is known.
std::string BaseFolder(const std::string& variable, const std::string& home, const char* fallback) {
    if (IsAbsolute(variable)) {
        return WithoutTrailingSeparators(variable);
    }
    if (home.empty()) {
        return {};
    }
    return AddBackslash(home) + fallback;
}

} // namespace

FileLocations DecideFileLocations(const LocationFacts& facts) {
    FileLocations locations;
    if (facts.executablePath.empty()) {
        return locations;
    }
    const std::string folder = GetParentFolder(facts.executablePath);
    const std::string besideThemes = AddBackslash(folder) + "theme" + PathSeparator();
    if (!facts.runsFromInstall && facts.executableFolderWritable) {
        locations.settingsFile = AddBackslash(folder) + BaseName(GetFileName(facts.executablePath)) + ".ini";
        locations.themeFolders.push_back(besideThemes);
        return locations;
    }

    locations.inUserFolders = true;
    if (const std::string config = BaseFolder(facts.configHome, facts.homeFolder, ".config"); !config.empty()) {
        locations.settingsFile = AddBackslash(config) + "ferrule" + PathSeparator() + kSettingsFileName;
    }
    locations.themeFolders.push_back(besideThemes);
    if (const std::string data = BaseFolder(facts.dataHome, facts.homeFolder, ".local/share"); !data.empty()) {
        locations.themeFolders.push_back(AddBackslash(data) + "ferrule" + PathSeparator() + "theme" + PathSeparator());
    }
    if (!facts.installedDataFolder.empty()) {
        locations.themeFolders.push_back(AddBackslash(facts.installedDataFolder) + "ferrule" + PathSeparator() +
                                         "theme" + PathSeparator());
    }
    return locations;
}
