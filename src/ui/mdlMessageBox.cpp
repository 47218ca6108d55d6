#include "ui/mdlMessageBox.h"

void ShowMessageBox(QWidget* parent, const QString& text, QMessageBox::Icon icon, const QString& title) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
