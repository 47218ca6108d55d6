// Every message the user sees goes through here: a modal box with one OK button.
#pragma once

#include <QMessageBox>
#include <QString>

/// Shows `text` in a modal message box titled `title` with `icon` and an OK button; returns when the
/// user closes it. The box carries the object name "MessageBox" so tests can find it.
void ShowMessageBox(QWidget* parent, const QString& text, QMessageBox::Icon icon, const QString& title);
