// Portable Network Graphics (.png) files, the form desktop icon themes want.
#pragma once

#include "Canvas.h"

#include <string>

namespace PngFile {

/// An 8-bit RGBA image (colour type 6, straight alpha, not interlaced), each row with the filter that
/// leaves the smallest sum of differences, deflated by zlib at its best compression. Throws
/// std::runtime_error when zlib fails.
std::string Encode(const Bitmap32& picture);

} // namespace PngFile
