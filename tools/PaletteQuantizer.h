// Reduces a picture to at most 256 colours for the 8-bit bitmaps.
#pragma once

#include "Canvas.h"

#include <array>
#include <cstdint>
#include <vector>

/// A picture with a palette: one palette index per pixel, rows from the top.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<std::array<std::uint8_t, 3>> palette; // R G B, at most 256 entries
    std::vector<std::uint8_t> indices;                // width * height
};

class PaletteQuantizer {
public:
    static constexpr std::size_t MaxColours = 256;

    /// The picture with a palette of at most 256 colours (alpha is ignored). A picture with no more
    /// than 256 distinct colours keeps them exactly; otherwise the palette comes from a median cut
    /// refined by a few rounds of nearest-colour averaging. The result depends only on the pixels.
    static IndexedImage Quantize(const Bitmap32& picture);
};
