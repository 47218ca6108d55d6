#include "ui/clsSHBrowseForFolder.h"

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
