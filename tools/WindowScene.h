// A theme's window background: a gentle vertical gradient with large faint squares and a row of
// digits along the bottom margin, below the drop box and the log pane.
#pragma once

#include "Canvas.h"
#include "DigitRows.h"

/// The colours of a window background.
struct WindowStyle {
    Rgb top;
    Rgb bottom;
    Rgb square; // the darker squares, mixed in at `squareStrength`
    double squareStrength = 0.0;
    Rgb ink; // the digits, mixed in at `inkStrength`
    double inkStrength = 0.0;
};

class WindowScene {
public:
    static constexpr int Width = 312; // the main window's client area with the log pane shown
    static constexpr int Height = 144;
    static constexpr int Square = 24;

    explicit WindowScene(const WindowStyle& style);

    /// The scene at (x, y), opaque.
    Rgba operator()(double x, double y) const;

    /// The finished picture.
    Bitmap32 Paint() const;

private:
    WindowStyle m_Style;
    DigitRows m_Digits;
};
