// The folder dialog: the prompt above a tree of the file system's folders, a button that makes a new folder
// in the selected one, OK and キャンセル.
#pragma once

#include <QDialog>
#include <QFileIconProvider>
#include <QPersistentModelIndex>
#include <QTimer>

class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

class frmBrowseForFolder : public QDialog {
    Q_OBJECT
public:
    /// A modal dialog owned by `owner` showing `prompt`, with `startFolder` (or the nearest folder above it
    /// that the tree shows) selected.
    frmBrowseForFolder(QWidget* owner, const QString& prompt, const QString& startFolder);
    ~frmBrowseForFolder() override;

    /// The selected folder with the platform's separators; "" when none is selected.
    QString SelectedPath() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SelectStartFolder(const QString& folder);
    void ScrollToStart();
    void cmdNewFolder_Click();
    void UpdateButtons();

    QFileIconProvider m_IconProvider;
    QFileSystemModel* m_Model = nullptr;
    QLabel* m_lblTitle = nullptr;
    QTreeView* m_tvwFolders = nullptr;
    QPushButton* m_cmdNewFolder = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    // The start folder, kept in view while the rows of the folders above it arrive and are sorted (which
    // moves it down), until the user selects another folder.
    QPersistentModelIndex m_Start;
    QTimer m_ScrollToStart;
};
