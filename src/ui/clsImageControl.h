// An image control: draws its picture at natural size from its top-left corner, also while disabled.
#pragma once

#include <QPixmap>
#include <QWidget>

class clsImageControl : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    const QPixmap& Picture() const { return m_Picture; }
    /// Shows `picture`; a null pixmap shows nothing.
    void setPicture(const QPixmap& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_Picture;
};
