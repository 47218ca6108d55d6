// Every file the generator writes: the built-in drop box bitmaps, the window icon, and the pictures
// of the example themes.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct PictureFile {
    std::string path;                    // relative to the output folder, '/' between folders
    std::function<std::string()> encode; // the file's bytes
};

namespace PictureCatalog {

/// All files, in a fixed order.
std::vector<PictureFile> Files();

} // namespace PictureCatalog
