#include "ui/clsProgressOverlay.h"

#include <QPainter>

clsProgressOverlay::clsProgressOverlay(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("progressOverlay"));
    // Clicks go through to the drop box below, whose right-button menu offers to stop the check.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void clsProgressOverlay::setPercent(int percent) {
    if (percent != m_Percent) {
        m_Percent = percent;
        update();
    }
}

void clsProgressOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bar = QRectF(rect()).adjusted(4.5, 4.5, -4.5, -4.5);
    painter.setPen(QColor(0, 0, 0, 160));
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawRoundedRect(bar, 3, 3);
    if (m_Percent > 0) {
        QRectF done = bar.adjusted(1, 1, -1, -1);
        done.setWidth(done.width() * m_Percent / 100.0);
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette().color(QPalette::Active, QPalette::Highlight));
        painter.drawRoundedRect(done, 2, 2);
    }
    if (m_Percent >= 0) {
        painter.setPen(Qt::black);
        painter.drawText(bar, Qt::AlignCenter, QString::number(m_Percent) + QLatin1Char('%'));
    }
}
