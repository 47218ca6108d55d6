#include "WindowScene.h"

#include <cmath>

WindowScene::WindowScene(const WindowStyle& style) : m_Style(style), m_Digits(Height - 8, 9, 1, 0, Width) {}

Rgba WindowScene::operator()(double x, double y) const {
    const int ix = static_cast<int>(std::floor(x));
    const int iy = static_cast<int>(std::floor(y));
    Rgb colour = Mix(m_Style.top, m_Style.bottom, y / Height);
    if (((ix / Square + iy / Square) & 1) != 0) {
        colour = Mix(colour, m_Style.square, m_Style.squareStrength);
    }
    if (m_Digits.InkRow(ix, iy) >= 0) {
        colour = Mix(colour, m_Style.ink, m_Style.inkStrength);
    }
    return {colour, 1.0};
}

Bitmap32 WindowScene::Paint() const {
    Canvas canvas(Width, Height);
    canvas.Render(*this, 2);
    return canvas.ToBitmap();
}
