// The Windows window handle behind a widget; used only by the *_win.cpp files.
#pragma once

#include <windows.h>

class QWidget;

/// The widget's native window when Qt runs on the Windows window system and has created it, else none
/// (the offscreen platform of the tests has no windows of the system's).
HWND NativeWindowHandle(const QWidget* widget);
