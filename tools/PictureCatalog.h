// Every file the generator writes: the built-in drop box bitmaps, the window icon, the pictures of the
// example themes, and the icon as PNG files for the desktop's icon theme (icons/ferrule<size>.png).
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

struct PictureFile {
    std::string path;                    // relative to the output folder, '/' between folders
    std::function<std::string()> encode; // the file's bytes
};

namespace PictureCatalog {

/// The sizes of the desktop icons, in pixels; the icon theme wants these square sizes.
inline constexpr std::array<int, 6> DesktopIconSizes{16, 32, 48, 64, 128, 256};

/// All files, in a fixed order.
std::vector<PictureFile> Files();

} // namespace PictureCatalog
