// The folder chooser: owner, title, root and options in, the chosen folder's path out.
#pragma once

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

class clsSHBrowseForFolder {
public:
    /// Replaces the dialog: gets the owner and the title, returns the chosen folder or nothing for a
    /// cancel. Tests use it to answer without a dialog on screen.
    using Chooser = std::function<std::optional<std::string>(QWidget* owner, const std::string& title)>;

    QWidget* hWnd() const { return m_Owner; }
    void sethWnd(QWidget* owner) { m_Owner = owner; }
    std::int32_t Options() const { return m_Options; }
    void setOptions(std::int32_t options) { m_Options = options; }
    /// The folder chosen in the last ShowDialog; "" after a cancel.
    const std::string& PathName() const { return m_PathName; }
    std::int32_t RootFolder() const { return m_RootFolder; }
    void setRootFolder(std::int32_t root) { m_RootFolder = root; }
    const std::string& Title() const { return m_Title; }
    void setTitle(const std::string& title) { m_Title = title; }

    /// Shows the modal folder dialog; true with PathName set when the user confirms a folder, false
    /// with PathName "" when the user cancels.
    bool ShowDialog();

    void setChooser(Chooser chooser) { m_Chooser = std::move(chooser); }

private:
    std::optional<std::string> RunDialog() const;

    QPointer<QWidget> m_Owner;
    std::int32_t m_Options = 0;
    std::string m_PathName;
    std::int32_t m_RootFolder = 0;
    std::string m_Title;
    Chooser m_Chooser;
    // The folder confirmed last, where the next dialog opens; the home folder until then.
    std::string m_LastFolder;
};
