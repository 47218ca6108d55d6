// Edits a folder's name in the folder dialog's tree: a Japanese edit menu, and the checks and messages a
// rename gets before the folder on disk is renamed.
#pragma once

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

class clsFolderNameDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    /// Renames the folder to the edited name. An empty name keeps the old one; a name that cannot be used
    /// is refused with a message, and the name is offered for editing again.
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

signals:
    /// The edited name of `index` was refused; its editor has closed.
    void RenameRefused(const QPersistentModelIndex& index) const;
};
