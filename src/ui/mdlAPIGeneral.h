// Window-system helpers of the desktop application: always-on-top, screen units, system colours.
#pragma once

#include <QColor>
#include <QFont>

#include <cstdint>

class QPalette;
class QWidget;

/// Puts `window` above all normal windows or back among them, without re-creating or activating it;
/// `show` also shows it.
void SetWindowTopMost(QWidget* window, bool topMost, bool show);

/// The part of SetWindowTopMost common to every platform: Qt's stays-on-top flag set on the native window
/// as it is (no re-creation, no activation); `show` also shows it.
void SetStaysOnTopFlag(QWidget* window, bool topMost, bool show);

/// Twips (1/1440 inch) per pixel of the primary screen: 15 at 96 dots per inch.
double TwipsPerPixelX();
double TwipsPerPixelY();

/// `value` to the nearest integer, ties to the even neighbour.
long long RoundHalfEven(double value);

/// The Windows system colour with index `index` (0 to 30; black for any other): the system's own on
/// Windows, elsewhere the colour of the `palette` role that paints the same thing.
QColor SystemColor(std::uint32_t index, const QPalette& palette);

/// The colour `color` stands for: 0x00BBGGRR, or 0x800000nn for the system colour with index nn,
/// taken from the matching role of `palette`.
QColor ColorFromWin32(std::int32_t color, const QPalette& palette);

/// The font of both windows: a Japanese UI gothic face, 9 points, normal weight.
QFont WindowFont();
