// The folder chooser where there is no Windows shell: the application's own tree of folders.
#include "ui/clsSHBrowseForFolder.h"

#include "ui/frmBrowseForFolder.h"

#include <QDir>

std::optional<std::string> clsSHBrowseForFolder::RunDialog() const {
    // Root 0 is the desktop; the nearest thing here is the file system's root, which the tree starts from.
    const QString start = m_LastFolder.empty() ? QDir::homePath() : QString::fromStdString(m_LastFolder);
    frmBrowseForFolder dialog(m_Owner, QString::fromStdString(m_Title), start);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.SelectedPath().toStdString();
}
