#include "ui/WinHandle.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

HWND NativeWindowHandle(const QWidget* widget) {
    if (widget == nullptr || QGuiApplication::platformName() != QStringLiteral("windows")) {
        return nullptr;
    }
    const QWindow* window = widget->windowHandle();
    if (window == nullptr || window->handle() == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<HWND>(window->winId());
}
