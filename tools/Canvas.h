// A picture in linear light with coverage, filled by supersampling a scene.
#pragma once

#include "Rgb.h"

#include <array>
#include <cstdint>
#include <vector>

/// A colour with coverage; the colour is premultiplied by alpha so that samples average correctly.
struct Rgba {
    Rgb colour;
    double alpha = 0.0;
};

/// A picture as the files store it: 8-bit display values, straight (not premultiplied) alpha,
/// rows from the top.
struct Bitmap32 {
    int width = 0;
    int height = 0;
    std::vector<std::array<std::uint8_t, 4>> rgba; // width * height pixels, R G B A

    const std::array<std::uint8_t, 4>& At(int x, int y) const {
        return rgba[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
};

class Canvas {
public:
    Canvas(int width, int height);

    int Width() const { return m_Width; }
    int Height() const { return m_Height; }
    const Rgba& At(int x, int y) const { return m_Pixels[Index(x, y)]; }

    /// Sets each pixel to the mean of grid × grid samples of `scene(x, y)`, taken at evenly spaced
    /// points inside the pixel; pixel (0, 0) covers the square from (0, 0) to (1, 1).
    template <class Scene>
    void Render(const Scene& scene, int grid) {
        const double step = 1.0 / grid;
        const double weight = 1.0 / (grid * grid);
        for (int y = 0; y < m_Height; ++y) {
            for (int x = 0; x < m_Width; ++x) {
                Rgba sum;
                for (int sy = 0; sy < grid; ++sy) {
                    for (int sx = 0; sx < grid; ++sx) {
                        const Rgba s = scene(x + (sx + 0.5) * step, y + (sy + 0.5) * step);
                        sum.colour = sum.colour + s.colour * weight;
                        sum.alpha += s.alpha * weight;
                    }
                }
                m_Pixels[Index(x, y)] = sum;
            }
        }
    }

    /// The picture in display values.
    Bitmap32 ToBitmap() const;

private:
    std::size_t Index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_Width) + static_cast<std::size_t>(x);
    }

    int m_Width = 0;
    int m_Height = 0;
    std::vector<Rgba> m_Pixels;
};
