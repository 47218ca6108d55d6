// Windows bitmap (.bmp) and icon (.ico) files, written byte for byte.
#pragma once

#include "Canvas.h"
#include "PaletteQuantizer.h"

#include <string>
#include <vector>

namespace BitmapFile {

/// An uncompressed 8-bit bitmap with a full 256-entry palette (unused entries black), rows stored
/// bottom-up as the format wants, 96 dots per inch.
std::string Encode8(const IndexedImage& picture);

/// A 32-bit bitmap with an alpha channel (BITMAPV5HEADER, BI_BITFIELDS, straight alpha), which
/// Qt and Windows read with its transparency.
std::string Encode32(const Bitmap32& picture);

/// An icon file holding each picture as a 32-bit image with alpha and its 1-bit mask.
std::string EncodeIcon(const std::vector<Bitmap32>& pictures);

} // namespace BitmapFile
