#include "ui/clsImageControl.h"

#include <QPainter>

void clsImageControl::setPicture(const QPixmap& picture) {
    m_Picture = picture;
    update();
}

void clsImageControl::paintEvent(QPaintEvent*) {
    if (m_Picture.isNull()) {
        return;
    }
    // Drawn as it is even when disabled: the busy picture must not come out greyed.
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_Picture);
}
