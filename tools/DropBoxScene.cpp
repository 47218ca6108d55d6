#include "DropBoxScene.h"

#include "DetMath.h"

#include <cmath>

namespace {

constexpr double BallX = 64.0;
constexpr double BallY = 57.0;
constexpr double BallRadius = 44.0;

// The ground stands a little behind the ball; the light from the upper left throws the shadow
// down and to the right.
constexpr double ShadowDx = 7.0;
constexpr double ShadowDy = 9.0;
constexpr double ShadowSoftness = 9.0;

constexpr int DigitTop = 66;
constexpr int DigitPitch = 9;
constexpr int DigitRowCount = 7;
constexpr int DigitShift = 17;

} // namespace

DropBoxScene::DropBoxScene(const DropBoxStyle& style)
    : m_Style(style), m_Ball(style.ball, BallX, BallY, BallRadius),
      m_Digits(DigitTop, DigitPitch, DigitRowCount, DigitShift, Size) {}

Rgb DropBoxScene::Ground(double x, double y) const {
    const int ix = static_cast<int>(std::floor(x));
    const int iy = static_cast<int>(std::floor(y));
    const bool odd = ((ix / GroundSquare + iy / GroundSquare) & 1) != 0;
    Rgb ground = odd ? m_Style.groundB : m_Style.groundA;

    const int row = m_Digits.InkRow(ix, iy);
    if (row >= 0) {
        const double t = m_Digits.Rows() > 1 ? static_cast<double>(row) / (m_Digits.Rows() - 1) : 1.0;
        ground = Mix(ground, m_Style.ink, m_Style.inkTop + (m_Style.inkBottom - m_Style.inkTop) * t);
    }

    const double dx = x - (BallX + ShadowDx);
    const double dy = y - (BallY + ShadowDy);
    const double d = std::sqrt(dx * dx + dy * dy);
    const double shade = 1.0 - DetMath::SmoothStep(BallRadius - ShadowSoftness, BallRadius + ShadowSoftness, d);
    return Mix(ground, ground * m_Style.shadow, shade);
}

Rgba DropBoxScene::operator()(double x, double y) const {
    Rgb colour;
    if (!m_Ball.Sample(x, y, colour)) {
        colour = Ground(x, y);
    }
    return {colour, 1.0};
}

Bitmap32 DropBoxScene::Paint() const {
    Canvas canvas(Size, Size);
    canvas.Render(*this, 4);
    return canvas.ToBitmap();
}
