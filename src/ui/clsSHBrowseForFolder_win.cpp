// The folder chooser on Windows: the shell's own folder dialog.
#include "ui/clsSHBrowseForFolder.h"

#include "ui/WinHandle.h"
#include "util/WinText.h"

#include <objbase.h>
#include <shlobj.h>

#include <array>
#include <cstdint>

namespace {

// Opens the tree on the folder confirmed last, whose path arrives as the callback's data.
int CALLBACK OnDialogEvent(HWND dialog, UINT message, LPARAM /*param*/, LPARAM data) {
    if (message == BFFM_INITIALIZED && data != 0) {
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
    }
    return 0;
}

} // namespace

std::optional<std::string> clsSHBrowseForFolder::RunDialog() const {
    // The shell's dialog needs COM on this thread; Qt's Windows platform has it already, the offscreen
    // one of the tests does not.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::wstring title = Utf8ToWide(m_Title);
    const std::wstring start = m_LastFolder.empty() ? std::wstring() : Utf8ToWide(m_LastFolder);
    std::array<wchar_t, MAX_PATH> displayName{};
    BROWSEINFOW info{};
    info.hwndOwner = NativeWindowHandle(m_Owner);
    // The root is a shell item identifier given as a number, passed on unchanged; 0 is the desktop.
    info.pidlRoot = reinterpret_cast<PCIDLIST_ABSOLUTE>(static_cast<std::intptr_t>(m_RootFolder));
    info.pszDisplayName = displayName.data();
    info.lpszTitle = title.c_str();
    info.ulFlags = static_cast<UINT>(m_Options);
    info.lpfn = start.empty() ? nullptr : OnDialogEvent;
    info.lParam = reinterpret_cast<LPARAM>(start.c_str());
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    std::optional<std::string> chosen;
    if (item != nullptr) {
        // A shell item without a file-system path (a virtual folder) leaves the buffer empty: "" is the answer.
        std::array<wchar_t, MAX_PATH> path{};
        SHGetPathFromIDListW(item, path.data());
        CoTaskMemFree(item);
        chosen = WideToUtf8(path.data());
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return chosen;
}
