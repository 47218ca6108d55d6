// The drop box picture: the checkered ball over a light checkered ground, with its soft shadow
// and rows of pale digits across the lower half.
#pragma once

#include "Canvas.h"
#include "CheckerBall.h"
#include "DigitRows.h"

/// The colours of one drop box picture.
struct DropBoxStyle {
    BallStyle ball;
    Rgb groundA; // the two squares of the ground
    Rgb groundB;
    Rgb ink;                 // the digits at full strength
    double inkTop = 0.15;    // strength of the top digit row
    double inkBottom = 0.35; // strength of the bottom digit row
    Rgb shadow;              // what the shadow multiplies the ground with at its centre
};

class DropBoxScene {
public:
    static constexpr int Size = 128;
    static constexpr int GroundSquare = 16;

    explicit DropBoxScene(const DropBoxStyle& style);

    /// The scene at (x, y), opaque.
    Rgba operator()(double x, double y) const;

    /// The finished picture.
    Bitmap32 Paint() const;

private:
    Rgb Ground(double x, double y) const;

    DropBoxStyle m_Style;
    CheckerBall m_Ball;
    DigitRows m_Digits;
};
