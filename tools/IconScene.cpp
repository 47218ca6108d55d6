#include "IconScene.h"

IconScene::IconScene(const BallStyle& style, int size)
    : m_Size(size), m_Ball(style, size / 2.0, size / 2.0, size / 2.0 - 0.25) {}

Rgba IconScene::operator()(double x, double y) const {
    Rgb colour;
    if (!m_Ball.Sample(x, y, colour)) {
        return {};
    }
    return {colour, 1.0};
}

Bitmap32 IconScene::Paint() const {
    Canvas canvas(m_Size, m_Size);
    canvas.Render(*this, 8);
    return canvas.ToBitmap();
}
