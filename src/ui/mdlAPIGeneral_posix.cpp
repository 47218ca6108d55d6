// The window-system helpers where Qt's platform is the only window system: X11 and Wayland.
#include "ui/mdlAPIGeneral.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

#include <array>

void SetWindowTopMost(QWidget* window, bool topMost, bool show) {
    SetStaysOnTopFlag(window, topMost, show);
}

namespace {

double TwipsPerPixel(bool horizontal) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen == nullptr ? 96.0
                       : horizontal      ? screen->logicalDotsPerInchX()
                                         : screen->logicalDotsPerInchY();
    return dpi > 0.0 ? 1440.0 / dpi : 15.0;
}

struct PaletteColor {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The Windows system colours 0 to 30 by the palette role that paints the same thing here.
constexpr std::array<PaletteColor, 31> kSystemColors = {{
    {QPalette::Active, QPalette::Button},            // 0 scroll bar
    {QPalette::Active, QPalette::Dark},              // 1 desktop
    {QPalette::Active, QPalette::Highlight},         // 2 active caption
    {QPalette::Inactive, QPalette::Highlight},       // 3 inactive caption
    {QPalette::Active, QPalette::Window},            // 4 menu
    {QPalette::Active, QPalette::Base},              // 5 window
    {QPalette::Active, QPalette::Shadow},            // 6 window frame
    {QPalette::Active, QPalette::WindowText},        // 7 menu text
    {QPalette::Active, QPalette::Text},              // 8 window text
    {QPalette::Active, QPalette::HighlightedText},   // 9 caption text
    {QPalette::Active, QPalette::Window},            // 10 active border
    {QPalette::Inactive, QPalette::Window},          // 11 inactive border
    {QPalette::Active, QPalette::Dark},              // 12 application workspace
    {QPalette::Active, QPalette::Highlight},         // 13 highlight
    {QPalette::Active, QPalette::HighlightedText},   // 14 highlighted text
    {QPalette::Active, QPalette::Button},            // 15 button face
    {QPalette::Active, QPalette::Dark},              // 16 button shadow
    {QPalette::Disabled, QPalette::Text},            // 17 grey text
    {QPalette::Active, QPalette::ButtonText},        // 18 button text
    {QPalette::Inactive, QPalette::HighlightedText}, // 19 inactive caption text
    {QPalette::Active, QPalette::Light},             // 20 button highlight
    {QPalette::Active, QPalette::Shadow},            // 21 3-D dark shadow
    {QPalette::Active, QPalette::Midlight},          // 22 3-D light
    {QPalette::Active, QPalette::ToolTipText},       // 23 tooltip text
    {QPalette::Active, QPalette::ToolTipBase},       // 24 tooltip background
    {QPalette::Active, QPalette::NoRole},            // 25 not used by Windows: black
    {QPalette::Active, QPalette::Link},              // 26 hot-tracked item
    {QPalette::Active, QPalette::Highlight},         // 27 active caption gradient
    {QPalette::Inactive, QPalette::Highlight},       // 28 inactive caption gradient
    {QPalette::Active, QPalette::Highlight},         // 29 highlighted menu item
    {QPalette::Active, QPalette::Window},            // 30 menu bar
}};

} // namespace

double TwipsPerPixelX() {
    return TwipsPerPixel(true);
}

double TwipsPerPixelY() {
    return TwipsPerPixel(false);
}

QColor SystemColor(std::uint32_t index, const QPalette& palette) {
    if (index >= kSystemColors.size() || kSystemColors[index].role == QPalette::NoRole) {
        return QColor(0, 0, 0); // Windows answers black for an index it does not know
    }
    return palette.color(kSystemColors[index].group, kSystemColors[index].role);
}
