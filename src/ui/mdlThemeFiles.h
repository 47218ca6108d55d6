// The theme folder beside the executable and the files in it.
#pragma once

#include <QPixmap>

#include <string>
#include <vector>

/// The theme folder for the program at `executablePath`: its folder followed by "theme" and a separator.
std::string ThemeFolder(const std::string& executablePath);

/// Names of the theme files in `folder`: plain files whose name ends in ".ini" in any letter case and
/// does not begin with a dot, sorted ignoring case.
std::vector<std::string> ListThemeFiles(const std::string& folder);

/// `path` itself when it names an existing file; otherwise the one file in the same folder whose name
/// differs only in letter case, when there is exactly one; otherwise `path` unchanged.
std::string ResolveFileIgnoringCase(const std::string& path);

/// Loads the picture file at `path` (any format the image readers know, letter case of the name
/// ignored as above); false when it is missing or not a picture.
bool LoadPictureFile(const std::string& path, QPixmap& picture);
