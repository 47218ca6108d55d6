#include "ui/clsPlainStyle.h"

#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOption>

void clsPlainStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const {
    // In menus a check item is a plain mark beside its text: nothing at all while unchecked.
    const bool menuCheck = (element == PE_IndicatorCheckBox || element == PE_IndicatorItemViewItemCheck) &&
                           qobject_cast<const QMenu*>(widget) != nullptr;
    if (!menuCheck) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    if ((option->state & State_On) == 0) {
        return;
    }
    const QRectF box = QRectF(option->rect).adjusted(2.5, 2.5, -2.5, -2.5);
    QPainterPath mark;
    mark.moveTo(box.left(), box.top() + box.height() * 0.55);
    mark.lineTo(box.left() + box.width() * 0.38, box.bottom() - box.height() * 0.1);
    mark.lineTo(box.right(), box.top() + box.height() * 0.15);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const bool selected = (option->state & State_Selected) != 0;
    QPen pen(option->palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    pen.setWidthF(qMax(1.5, box.width() / 6.0));
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(mark);
    painter->restore();
}

int clsPlainStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                             QStyleHintReturn* returnData) const {
    if (hint == SH_DialogButtonBox_ButtonsHaveIcons) {
        return 0;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
