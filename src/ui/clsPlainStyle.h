// The application's style: the platform's own, drawn as plainly as the desktop this tool comes from —
// a check mark only where an item is checked, and dialog buttons without icons.
#pragma once

#include <QProxyStyle>

class clsPlainStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};
