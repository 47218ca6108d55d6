#include "ui/clsSHBrowseForFolder.h"

#include "ui/frmBrowseForFolder.h"

#include <QDir>

bool clsSHBrowseForFolder::ShowDialog() {
    std::optional<std::string> chosen = m_Chooser ? m_Chooser(m_Owner, m_Title) : RunDialog();
    if (!chosen) {
        m_PathName.clear();
        return false;
    }
    m_PathName = std::move(*chosen);
    if (!m_PathName.empty()) {
        m_LastFolder = m_PathName;
    }
    return true;
}

std::optional<std::string> clsSHBrowseForFolder::RunDialog() const {
    // Root 0 is the desktop; the nearest thing here is the file system's root, which the tree starts from.
    const QString start = m_LastFolder.empty() ? QDir::homePath() : QString::fromStdString(m_LastFolder);
    frmBrowseForFolder dialog(m_Owner, QString::fromStdString(m_Title), start);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.SelectedPath().toStdString();
}
