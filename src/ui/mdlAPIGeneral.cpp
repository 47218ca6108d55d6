#include "ui/mdlAPIGeneral.h"

#include <QWidget>
#include <QWindow>

#include <cmath>

void SetStaysOnTopFlag(QWidget* window, bool topMost, bool show) {
    if (QWindow* handle = window->windowHandle()) {
        handle->setFlag(Qt::WindowStaysOnTopHint, topMost);
    } else {
        window->setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
    }
    if (show) {
        window->show();
    }
}

long long RoundHalfEven(double value) {
    return static_cast<long long>(std::nearbyint(value));
}

QColor ColorFromWin32(std::int32_t color, const QPalette& palette) {
    const auto bits = static_cast<std::uint32_t>(color);
    if ((bits & 0xFF000000u) == 0x80000000u) {
        return SystemColor(bits & 0x00FFFFFFu, palette);
    }
    return QColor(static_cast<int>(bits & 0xFFu), static_cast<int>((bits >> 8) & 0xFFu),
                  static_cast<int>((bits >> 16) & 0xFFu));
}

QFont WindowFont() {
    QFont font;
    // IPAPGothic has the metrics of MS UI Gothic (rows of 12 pixels at 9 points); Noto's are much taller.
    font.setFamilies({QStringLiteral("MS UI Gothic"), QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
                      QStringLiteral("IPAGothic")});
    font.setPointSize(9);
    font.setWeight(QFont::Normal);
    return font;
}
