// The reduction of the generator's pictures to 256 colours.
#include "PaletteQuantizer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

Bitmap32 FromColours(int width, int height, const std::vector<std::array<std::uint8_t, 3>>& pixels) {
    Bitmap32 picture;
    picture.width = width;
    picture.height = height;
    for (const auto& c : pixels) {
        picture.rgba.push_back({c[0], c[1], c[2], 255});
    }
    return picture;
}

// A smooth two-dimensional gradient with 64 × 64 distinct colours, like a shaded ball.
Bitmap32 Gradient() {
    std::vector<std::array<std::uint8_t, 3>> pixels;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            pixels.push_back({static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 4),
                              static_cast<std::uint8_t>(255 - x * 2 - y)});
        }
    }
    return FromColours(64, 64, pixels);
}

std::array<std::uint8_t, 3> Shown(const IndexedImage& image, std::size_t pixel) {
    return image.palette.at(image.indices.at(pixel));
}

} // namespace

TEST(PaletteQuantizer, KeepsUpTo256ColoursExactly) {
    for (const int distinct : {1, 2, 17, 255, 256}) {
        SCOPED_TRACE(distinct);
        std::vector<std::array<std::uint8_t, 3>> pixels;
        for (int i = 0; i < 512; ++i) {
            const int k = (i * 7) % distinct;
            pixels.push_back({static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(255 - k),
                              static_cast<std::uint8_t>((k * 3) % 256)});
        }
        const IndexedImage image = PaletteQuantizer::Quantize(FromColours(32, 16, pixels));
        EXPECT_EQ(image.palette.size(), static_cast<std::size_t>(distinct));
        ASSERT_EQ(image.indices.size(), pixels.size());
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            ASSERT_EQ(Shown(image, i), pixels[i]) << i;
        }
    }
}

TEST(PaletteQuantizer, ManyColoursStayClose) {
    const Bitmap32 picture = Gradient();
    const IndexedImage image = PaletteQuantizer::Quantize(picture);
    EXPECT_LE(image.palette.size(), PaletteQuantizer::MaxColours);
    EXPECT_GE(image.palette.size(), PaletteQuantizer::MaxColours - 8); // the palette is used, not wasted
    int worst = 0;
    for (std::size_t i = 0; i < picture.rgba.size(); ++i) {
        const auto shown = Shown(image, i);
        for (std::size_t c = 0; c < 3; ++c) {
            worst = std::max(worst, std::abs(static_cast<int>(shown[c]) - static_cast<int>(picture.rgba[i][c])));
        }
    }
    // 4096 colours in 256 cells: about 4 × 4 neighbours share an entry.
    EXPECT_LE(worst, 10);
}

TEST(PaletteQuantizer, PaletteDependsOnTheColoursNotOnWhereTheyAre) {
    const Bitmap32 picture = Gradient();
    Bitmap32 shuffled = picture;
    std::reverse(shuffled.rgba.begin(), shuffled.rgba.end());
    std::rotate(shuffled.rgba.begin(), shuffled.rgba.begin() + 1000, shuffled.rgba.end());
    const IndexedImage a = PaletteQuantizer::Quantize(picture);
    const IndexedImage b = PaletteQuantizer::Quantize(shuffled);
    EXPECT_EQ(a.palette, b.palette);
}
