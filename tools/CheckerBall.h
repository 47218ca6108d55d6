// The checkered ball: a glossy sphere lit from the upper left, painted in squares of two colours.
#pragma once

#include "Rgb.h"

/// How the ball looks.
struct BallStyle {
    Rgb colour;              // the coloured squares
    Rgb white;               // the light squares
    int lonSegments = 16;    // squares around the equator
    int latSegments = 8;     // squares from pole to pole
    double edgeShade = 0.35; // darkening at the outline, so a light ball stands out on a light ground
    // The ball's axis leans right by the roll and shows a little of its top by the pitch; the
    // cosines are given directly so that no trigonometric function is needed.
    double rollCos = 0.93;
    double pitchCos = 0.99;
};

class CheckerBall {
public:
    /// A ball of `radius` pixels centred on (cx, cy), in picture coordinates (y grows downwards).
    CheckerBall(const BallStyle& style, double cx, double cy, double radius);

    /// The lit colour of the ball at (x, y); false when the point lies outside the ball.
    bool Sample(double x, double y, Rgb& colour) const;

    double CentreX() const { return m_Cx; }
    double CentreY() const { return m_Cy; }
    double Radius() const { return m_Radius; }

private:
    BallStyle m_Style;
    double m_Cx = 0.0;
    double m_Cy = 0.0;
    double m_Radius = 1.0;
};
