// Edits a folder's name in the folder dialog's tree: a Japanese edit menu, and the checks a name gets
// before the folder on disk is renamed.
#pragma once

#include <QMessageBox>
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

class clsFolderNameDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    /// Renames the folder to the edited name. A blank name keeps the old one; a name that cannot be used
    /// is refused through RenameRefused.
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

signals:
    /// The name edited for `index` was refused for the reason `message`. Connect it queued: the editor is
    /// still closing when it is emitted.
    void RenameRefused(const QPersistentModelIndex& index, const QString& message, QMessageBox::Icon icon) const;
};
