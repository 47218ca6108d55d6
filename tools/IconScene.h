// The window icon: the checkered ball alone on a transparent ground.
#pragma once

#include "Canvas.h"
#include "CheckerBall.h"

class IconScene {
public:
    /// An icon `size` pixels square.
    IconScene(const BallStyle& style, int size);

    /// The scene at (x, y): the ball, or nothing around it.
    Rgba operator()(double x, double y) const;

    /// The finished picture.
    Bitmap32 Paint() const;

private:
    int m_Size = 0;
    CheckerBall m_Ball;
};
