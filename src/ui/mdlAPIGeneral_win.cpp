// The window-system helpers on Windows: the system's own calls.
#include "ui/mdlAPIGeneral.h"

#include "ui/WinHandle.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void SetWindowTopMost(QWidget* window, bool topMost, bool show) {
    // Qt keeps its own copy of the flag and applies it again whenever it restyles or raises the window:
    // the copy must agree with the system's state, or Qt would later undo the call below.
    SetStaysOnTopFlag(window, topMost, show);
    if (QGuiApplication::platformName() == QStringLiteral("windows")) {
        window->winId(); // a hidden window has its native one made here, as it would have when it was loaded
    }
    if (HWND hwnd = NativeWindowHandle(window)) {
        const UINT flags = show ? SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW : SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE;
        SetWindowPos(hwnd, topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    }
}

namespace {

double TwipsPerPixel(int axis) {
    HDC screen = GetDC(nullptr);
    const int dpi = screen == nullptr ? 0 : GetDeviceCaps(screen, axis);
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    if (dpi <= 0) {
        return 15.0;
    }
    // Qt lays windows out in device-independent pixels: on a screen scaled to 150 % one of them is 1.5 of
    // the system's, so a twip measures the same length as for a program the system scales itself.
    const QScreen* primary = QGuiApplication::primaryScreen();
    const double scale = primary == nullptr ? 1.0 : primary->devicePixelRatio();
    return 1440.0 * scale / dpi;
}

} // namespace

double TwipsPerPixelX() {
    return TwipsPerPixel(LOGPIXELSX);
}

double TwipsPerPixelY() {
    return TwipsPerPixel(LOGPIXELSY);
}

QColor SystemColor(std::uint32_t index, const QPalette& /*palette*/) {
    // GetSysColor answers black for an index it does not know.
    const COLORREF color = index <= 30 ? GetSysColor(static_cast<int>(index)) : 0;
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}
