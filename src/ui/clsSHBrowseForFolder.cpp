#include "ui/clsSHBrowseForFolder.h"

#include <QDir>
#include <QFileDialog>

bool clsSHBrowseForFolder::ShowDialog() {
    std::optional<std::string> chosen = m_Chooser ? m_Chooser(m_Owner, m_Title) : RunDialog();
    if (!chosen) {
        m_PathName.clear();
        return false;
    }
    m_PathName = std::move(*chosen);
    return true;
}

std::optional<std::string> clsSHBrowseForFolder::RunDialog() const {
    // Root 0 is the desktop; here the dialog starts in the home folder and can reach every folder.
    QFileDialog dialog(m_Owner, QString::fromStdString(m_Title), QDir::homePath());
    dialog.setObjectName(QStringLiteral("FolderBrowser"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? std::string() : QDir::toNativeSeparators(chosen.front()).toStdString();
}
