// The theme folders and the theme files in them.
#pragma once

#include <QPixmap>

#include <string>
#include <vector>

/// Names of the theme files in `folder`: plain files whose name ends in ".ini" in any letter case and
/// does not begin with a dot, sorted ignoring case.
std::vector<std::string> ListThemeFiles(const std::string& folder);

/// A theme as the theme menu lists it: its name (the file name without ".ini") and its file.
struct ThemeFile {
    std::string name;
    std::string path;
};

/// The themes of `folders` (each ending in a separator), sorted ignoring case; a name found in several
/// folders, in any letter case, is listed once, from the first folder holding it.
std::vector<ThemeFile> ListThemes(const std::vector<std::string>& folders);

/// The file of theme `name` (".ini" added unless it ends so): in the first of `folders` holding it, letter
/// case ignored; where none does, the path it would have in the first folder.
std::string FindThemeFile(const std::vector<std::string>& folders, const std::string& name);

/// `path` itself when it names an existing file; otherwise the one file in the same folder whose name
/// differs only in letter case, when there is exactly one; otherwise `path` unchanged.
std::string ResolveFileIgnoringCase(const std::string& path);

/// Loads the picture file at `path` (any format the image readers know, letter case of the name
/// ignored as above); false when it is missing or not a picture.
bool LoadPictureFile(const std::string& path, QPixmap& picture);
