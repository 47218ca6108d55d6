// The Windows sides of the window-system seams, on Qt's Windows platform with real windows of the system's:
// always on top through SetWindowPos, the system colours of the standard look, twips from the screen, and
// the shell's folder dialog behind clsSHBrowseForFolder.
#include "UiTest.h"

#include "ui/clsSHBrowseForFolder.h"
#include "ui/mdlAPIGeneral.h"

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

using namespace UiTest;

namespace {

HWND Handle(QWidget* widget) {
    return reinterpret_cast<HWND>(widget->winId());
}

bool IsTopMost(HWND window) {
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

QColor FromColorRef(COLORREF color) {
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

// The window functions call back with the system's calling convention, which a lambda lacks on 32-bit.
BOOL CALLBACK FindShellDialog(HWND window, LPARAM data) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (IsWindowVisible(window) && std::wstring_view(name) == L"#32770") {
        *reinterpret_cast<HWND*>(data) = window;
        return FALSE;
    }
    return TRUE;
}

// The visible shell dialog of this thread, if one is open.
HWND OpenShellDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindShellDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

using TextSearch = std::pair<const std::wstring*, bool>;

BOOL CALLBACK FindText(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<TextSearch*>(data);
    wchar_t buffer[256] = {};
    GetWindowTextW(child, buffer, 256);
    search->second = *search->first == buffer;
    return !search->second;
}

// True when a control of `dialog` shows `text`.
bool ShowsText(HWND dialog, const std::wstring& text) {
    TextSearch search{&text, false};
    EnumChildWindows(dialog, FindText, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// The caption of the folder the dialog's tree has selected.
std::wstring TreeSelection(HWND dialog) {
    HWND tree = FindWindowExW(dialog, nullptr, L"SysTreeView32", nullptr);
    const auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    wchar_t text[MAX_PATH] = {};
    TVITEMW info{};
    info.mask = TVIF_TEXT;
    info.hItem = item;
    info.pszText = text;
    info.cchTextMax = MAX_PATH;
    if (tree == nullptr || item == nullptr ||
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info)) == 0) {
        return {};
    }
    return text;
}

// What the user does in the shell's dialog: select a folder ("" selects nothing, "*" the computer, which
// has no file-system path), then confirm or cancel.
struct DialogRow {
    const char* name;
    std::int32_t options;
    std::vector<std::string> selections; // one dialog each, in order, of the same object
    bool confirm;
    bool okEnabled;       // in the last dialog, once the selection is made
    bool result;          // of the last ShowDialog
    std::string pathName; // after it, a folder of the temporary folder or ""
};

} // namespace

Q_DECLARE_METATYPE(DialogRow)

class WindowsSystemTest : public QObject {
    Q_OBJECT

private slots:
    void alwaysOnTopIsTheSystemsOwnWithoutActivationOrNewWindow() {
        App app;
        frmMain& window = app.Start();
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_COMPARE(GetForegroundWindow(), Handle(&other));
        const HWND native = Handle(&window);
        for (bool on : {true, false, true}) {
            window.setTopMost(on);
            QCOMPARE(IsTopMost(native), on);
            QCOMPARE(GetForegroundWindow(), Handle(&other)); // not activated
            QCOMPARE(Handle(&window), native);               // nor re-created
        }
        // Qt restyles the window on its own later; the system's state must survive that.
        window.setWindowTitle(u"Ferrule"_s);
        window.hide();
        window.show();
        QVERIFY(IsTopMost(Handle(&window)));
        // Started from a settings file that asks for it, the window is on top from the start.
        app.Close();
        QVERIFY(app.Saved("WindowTopMost=1"));
        QVERIFY(IsTopMost(Handle(&app.Start())));
    }

    void theStandardLookTakesTheSystemColours() {
        App app;
        frmMain& window = app.Start();
        window.ApplyTheme("");
        const auto role = [](QWidget* widget, QPalette::ColorRole which) { return widget->palette().color(which); };
        QCOMPARE(role(window.DropBoxHost(), QPalette::Window), FromColorRef(GetSysColor(COLOR_WINDOW)));
        QCOMPARE(role(window.LogPane()->List(), QPalette::Base), FromColorRef(GetSysColor(COLOR_WINDOW)));
        QCOMPARE(role(window.LogPane()->List(), QPalette::Text), FromColorRef(GetSysColor(COLOR_WINDOWTEXT)));
        QCOMPARE(role(&window, QPalette::Window), FromColorRef(GetSysColor(COLOR_BTNFACE)));
        QCOMPARE(role(window.LogWindow(), QPalette::Window), FromColorRef(GetSysColor(COLOR_BTNFACE)));
        // Every index Windows knows, and black for those it does not.
        for (std::uint32_t index : {0u, 13u, 24u, 30u, 31u, 99u, 0xFFFFFFu}) {
            const QColor expected = index <= 30 ? FromColorRef(GetSysColor(static_cast<int>(index))) : QColor(0, 0, 0);
            QCOMPARE(ColorFromWin32(static_cast<std::int32_t>(0x80000000u | index), QPalette()), expected);
        }
    }

    void twipsFollowTheScreensDotsPerInch() {
        HDC screen = GetDC(nullptr);
        const int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
        const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        const double scale = QGuiApplication::primaryScreen()->devicePixelRatio();
        QCOMPARE(TwipsPerPixelX(), 1440.0 * scale / dpiX);
        QCOMPARE(TwipsPerPixelY(), 1440.0 * scale / dpiY);
    }

    void theShellsFolderDialog_data() {
        AddRows<DialogRow>({
            {"cancel", 1, {"alpha"}, false, true, false, ""},
            {"a folder", 1, {"beta"}, true, true, true, "beta"},
            {"a Japanese name", 1, {"資料"}, true, true, true, "資料"},
            {"opens on the folder chosen last", 1, {"alpha", ""}, true, true, true, "alpha"},
            {"a cancel forgets the path", 1, {"alpha", "beta"}, false, true, false, ""},
            {"only file-system folders", 1, {"*"}, false, false, false, ""},
            {"a folder without a path", 0, {"*"}, true, true, true, ""},
        });
    }
    void theShellsFolderDialog() {
        QFETCH(DialogRow, row);
        TempFolder folder;
        for (const char* name : {"alpha", "beta", "資料"}) {
            std::filesystem::create_directory(std::filesystem::u8path(folder.File(name)));
        }
        QWidget owner;
        owner.show();
        clsSHBrowseForFolder browser;
        browser.sethWnd(&owner);
        browser.setTitle("コピー先を指定してください。");
        browser.setOptions(row.options);
        bool result = false;
        std::string chosenLast;
        for (std::size_t i = 0; i < row.selections.size(); ++i) {
            const std::string selection = row.selections[i];
            const bool last = i + 1 == row.selections.size();
            bool okEnabled = false;
            bool titled = false;
            HWND ownedBy = nullptr;
            // Qt's timers go on inside the shell's modal loop.
            int seen = 0;
            int ticks = 0;
            QTimer watcher;
            QTimer settle;
            QObject::connect(&watcher, &QTimer::timeout, [&] {
                HWND dialog = OpenShellDialog();
                if (dialog == nullptr) {
                    return;
                }
                watcher.stop();
                ++seen;
                titled = ShowsText(dialog, L"コピー先を指定してください。");
                ownedBy = GetWindow(dialog, GW_OWNER);
                // The tree fills itself in steps of its own and may still reset a selection made early: select
                // until it shows the folder (the one chosen last when nothing is selected), then answer; the
                // computer, which has no caption to wait for, after a while.
                const std::string leaf = selection.empty() ? chosenLast : selection;
                settle.callOnTimeout([&, dialog, leaf] {
                    if (leaf != "*" && TreeSelection(dialog) != QString::fromStdString(leaf).toStdWString()) {
                        if (!selection.empty() && ticks % 10 == 0) {
                            const std::wstring path = QString::fromStdString(folder.File(selection)).toStdWString();
                            SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
                        }
                        if (++ticks < 250) {
                            return;
                        }
                    } else if (leaf == "*" && ticks++ < 25) {
                        if (ticks == 1) {
                            PIDLIST_ABSOLUTE computer = nullptr;
                            SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer);
                            SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(computer));
                            CoTaskMemFree(computer);
                        }
                        return;
                    }
                    settle.stop();
                    okEnabled = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
                    const bool confirm = last ? row.confirm : true;
                    PostMessageW(dialog, WM_COMMAND, confirm && okEnabled ? IDOK : IDCANCEL, 0);
                });
                settle.start(20);
            });
            watcher.start(20);
            result = browser.ShowDialog();
            if (result && !selection.empty()) {
                chosenLast = selection;
            }
            QCOMPARE(seen, 1);
            QVERIFY(titled);
            QCOMPARE(ownedBy, Handle(&owner));
            if (last) {
                QCOMPARE(okEnabled, row.okEnabled);
            }
        }
        QCOMPARE(result, row.result);
        const std::string expected = row.pathName.empty() ? std::string() : folder.File(row.pathName);
        QCOMPARE(QString::fromStdString(browser.PathName()), QString::fromStdString(expected));
    }
};

FERRULE_UI_TEST(WindowsSystemTest);

#include "WindowsSystemTest_win.moc"
