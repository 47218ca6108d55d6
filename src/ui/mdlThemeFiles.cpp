#include "ui/mdlThemeFiles.h"

#include "util/CaseFold.h"
#include "util/FileSystem.h"
#include "util/PathHelpers.h"
#include "util/Wildcard.h"

#include <QImageReader>
#include <QString>

#include <algorithm>

std::vector<std::string> ListThemeFiles(const std::string& folder) {
    std::vector<std::string> names;
    for (const FolderEntry& entry : ListFolder(folder)) {
        const std::string folded = CaseFold(entry.name);
        if (!WildcardMatch(folded, "*.ini") || WildcardMatch(entry.name, ".*")) {
            continue;
        }
        if (entry.isFile && FileExists(AddBackslash(folder) + entry.name)) {
            names.push_back(entry.name);
        }
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string fa = CaseFold(a);
        const std::string fb = CaseFold(b);
        return fa != fb ? fa < fb : a < b;
    });
    return names;
}

std::vector<ThemeFile> ListThemes(const std::vector<std::string>& folders) {
    std::vector<ThemeFile> themes;
    for (const std::string& folder : folders) {
        for (const std::string& file : ListThemeFiles(folder)) {
            std::string name = file.substr(0, file.size() - 4);
            const bool listed = std::any_of(themes.begin(), themes.end(),
                                            [&](const ThemeFile& theme) { return EqualsIgnoreCase(theme.name, name); });
            if (!listed) {
                themes.push_back({std::move(name), folder + file});
            }
        }
    }
    std::stable_sort(themes.begin(), themes.end(), [](const ThemeFile& a, const ThemeFile& b) {
        const std::string fa = CaseFold(a.name);
        const std::string fb = CaseFold(b.name);
        return fa != fb ? fa < fb : a.name < b.name;
    });
    return themes;
}

std::string FindThemeFile(const std::vector<std::string>& folders, const std::string& name) {
    const std::string file = WildcardMatch(CaseFold(name), "*.ini") ? name : name + ".ini";
    for (const std::string& folder : folders) {
        if (const std::string path = ResolveFileIgnoringCase(folder + file); FileExists(path)) {
            return path;
        }
    }
    return folders.empty() ? file : ResolveFileIgnoringCase(folders.front() + file);
}

std::string ResolveFileIgnoringCase(const std::string& path) {
    if (path.empty() || FileExists(path)) {
        return path;
    }
    const std::string folder = GetParentFolder(path);
    const std::string name = GetFileName(path);
    std::string match;
    int matches = 0;
    for (const FolderEntry& entry : ListFolder(folder.empty() ? std::string(".") : folder)) {
        if (entry.isFile && EqualsIgnoreCase(entry.name, name)) {
            match = entry.name;
            ++matches;
        }
    }
    if (matches != 1) {
        return path;
    }
    return folder.empty() ? match : AddBackslash(folder) + match;
}

bool LoadPictureFile(const std::string& path, QPixmap& picture) {
    const std::string resolved = ResolveFileIgnoringCase(path);
    if (!FileExists(resolved)) {
        return false;
    }
    QImageReader reader(QString::fromStdString(resolved));
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        return false;
    }
    picture = QPixmap::fromImage(image);
    return true;
}
