#include "ui/clsFolderNameDelegate.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>

#include <algorithm>

namespace {

// Characters a file name may not hold on this platform.
#ifdef Q_OS_WIN
const QString kInvalidCharacters = QStringLiteral("\\/:*?\"<>|");
#else
const QString kInvalidCharacters = QStringLiteral("/");
#endif

// The edit menu of a Japanese system, built here rather than taken from the line edit, whose own menu reads
// in English unless Qt's translations happen to be loaded.
void ShowEditMenu(QLineEdit* editor, const QPoint& pos) {
    auto* menu = new QMenu(editor);
    menu->setObjectName(QStringLiteral("mnuFolderName"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto add = [&](const QString& text, bool enabled, auto slot) {
        QAction* action = menu->addAction(text, editor, slot);
        action->setEnabled(enabled);
    };
    const bool selected = editor->hasSelectedText();
    const QClipboard* clipboard = QGuiApplication::clipboard();
    add(QStringLiteral("元に戻す(&U)"), editor->isUndoAvailable(), &QLineEdit::undo);
    menu->addSeparator();
    add(QStringLiteral("切り取り(&T)"), selected, &QLineEdit::cut);
    add(QStringLiteral("コピー(&C)"), selected, &QLineEdit::copy);
    add(QStringLiteral("貼り付け(&P)"), clipboard != nullptr && !clipboard->text().isEmpty(), &QLineEdit::paste);
    add(QStringLiteral("削除(&D)"), selected, [editor] { editor->insert(QString()); });
    menu->addSeparator();
    add(QStringLiteral("すべて選択(&A)"), !editor->text().isEmpty(), &QLineEdit::selectAll);
    menu->popup(editor->mapToGlobal(pos));
}

} // namespace

QWidget* clsFolderNameDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                             const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setObjectName(QStringLiteral("txtFolderName"));
        line->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(line, &QWidget::customContextMenuRequested, line,
                [line](const QPoint& pos) { ShowEditMenu(line, pos); });
    }
    return editor;
}

void clsFolderNameDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    auto* line = qobject_cast<QLineEdit*>(editor);
    auto* folders = qobject_cast<QFileSystemModel*>(model);
    if (line == nullptr || folders == nullptr) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    const QString name = line->text().trimmed();
    const QString oldName = folders->fileName(index);
    if (name.isEmpty() || name == oldName) {
        return;
    }
    const auto refuse = [&](const QString& text, QMessageBox::Icon icon) {
        emit RenameRefused(QPersistentModelIndex(index), text, icon);
    };
    const auto invalid = std::find_if(name.begin(), name.end(), [](QChar c) { return kInvalidCharacters.contains(c); });
    if (invalid != name.end()) {
        QString listed;
        for (QChar c : kInvalidCharacters) {
            listed += (listed.isEmpty() ? QString() : QStringLiteral(" ")) + c;
        }
        refuse(QStringLiteral("ファイル名には次の文字は使えません:\n") + listed, QMessageBox::Warning);
        return;
    }
    const QFileInfo target(QDir(folders->filePath(index.parent())).filePath(name));
    if (target.exists() || target.isSymLink()) {
        refuse(QStringLiteral("この場所には既に「%1」という名前のファイルまたはフォルダーがあります。").arg(name),
               QMessageBox::Warning);
        return;
    }
    if (!folders->setData(index, name, Qt::EditRole)) {
        refuse(QStringLiteral("「%1」の名前を変更できませんでした。").arg(oldName), QMessageBox::Critical);
    }
}
