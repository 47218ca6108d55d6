#include "Canvas.h"

Canvas::Canvas(int width, int height)
    : m_Width(width), m_Height(height), m_Pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {}

Bitmap32 Canvas::ToBitmap() const {
    Bitmap32 out;
    out.width = m_Width;
    out.height = m_Height;
    out.rgba.reserve(m_Pixels.size());
    for (const Rgba& p : m_Pixels) {
        const double a = std::clamp(p.alpha, 0.0, 1.0);
        std::array<std::uint8_t, 4> px{0, 0, 0, 0};
        if (a > 0.0) {
            const Rgb c = p.colour * (1.0 / a);
            px = {Rgb::Encode(c.r), Rgb::Encode(c.g), Rgb::Encode(c.b),
                  static_cast<std::uint8_t>(std::floor(a * 255.0 + 0.5))};
        }
        out.rgba.push_back(px);
    }
    return out;
}
