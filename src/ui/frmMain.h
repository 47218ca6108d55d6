// The main window: drop box, log pane, popup menus, and owner of everything else for the process's life.
#pragma once

#include "config/FileLocations.h"
#include "ui/clsLogModel.h"
#include "verify/ICheckHost.h"

#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class QAction;
class QDragMoveEvent;
class QDropEvent;
class QLocale;
class QMenu;
class clsCheckRun;
class clsImageControl;
class clsProgressOverlay;
class clsQueuedCheckHost;
class clsRunProgress;
class clsLogPane;
class clsSHBrowseForFolder;
class clsSettings;
class clsStringList;
class clsThemeDefine;
class frmLog;

class frmMain : public QWidget, public ICheckHost {
    Q_OBJECT
public:
    /// `executablePath` decides where the settings file and the theme folders are (FileLocations: for a
    /// portable copy its folder, same base name and ".ini", and "theme" beside it); by default the running
    /// program's own path.
    explicit frmMain(std::string executablePath = ApplicationPath(), QWidget* parent = nullptr);
    ~frmMain() override;

    /// The running program's full path in the platform's notation.
    static std::string ApplicationPath();
    /// The caption: title, " ver.", major, ".", minor as two digits.
    static QString CaptionText(int major, int minor);
    /// The About box text for digest module versions in hundredths, numbers in `locale`'s format.
    static QString AboutText(int crcVersion, int md5Version, const QLocale& locale);

    /// Where the settings and themes are, instead of what the executable's path decides; before Form_Load.
    void setFileLocations(FileLocations locations) { m_Locations = std::move(locations); }
    const FileLocations& Locations() const { return *m_Locations; }

    /// The load handler: the whole start-up, in order, ending with the window shown.
    void Form_Load();

    /// Lists given from outside (the command line, a second start): checked as a drop with the left
    /// button would be, and refused, as such a drop is, while a check runs. No lists just brings the
    /// window forward. False when refused.
    bool OpenLists(const std::vector<std::string>& lists);

    bool TopMost() const { return m_TopMost; }
    void setTopMost(bool value);

    /// True from the start of a run until its end has reached the window.
    bool CheckRunning() const;
    /// Asks a running check to stop; it writes what it has, and its closing lines.
    void CancelCheck();

    /// Shows the log window and narrows this window to the drop box, or the reverse.
    void SetLogWindowVisible(bool visible);
    /// Makes the theme file `name` (empty: the standard look) the one in effect; never fails.
    void ApplyTheme(const std::string& name);
    /// Lists the theme files under the theme submenu and checks the one in effect.
    void BuildThemeMenu();

    // What the verification run writes through.
    void AddLog(const std::string& line) override;
    void ClearLog() override;
    void DoEvents() override;
    void SetDropBoxBusy(bool busy) override;
    void SelectLastLogLine() override;

    // State that tests and the screenshot script look at.
    frmLog* LogWindow() const { return m_LogWindow; }
    clsLogPane* LogPane() const { return m_picLogBox; }
    clsLogModel& LogModel() { return m_LogModel; }
    clsImageControl* DropBox() const { return m_imgDropBox; }
    QWidget* DropBoxHost() const { return m_picDropBox; }
    QTimer& Timer() { return m_tmrTimer; }
    clsQueuedCheckHost* RunHost() const { return m_RunHost; }
    clsSettings* Settings() const { return m_Settings.get(); }
    clsThemeDefine* Theme() const { return m_Theme.get(); }
    clsSHBrowseForFolder* FolderBrowser() const { return m_FolderBrowser.get(); }
    const clsStringList* DropFiles() const { return m_DropFiles.get(); }
    const std::string& CheckFolder() const { return m_CheckFolder; }
    int DragButton() const { return m_DragButton; }
    const QPixmap& DropBoxPicture() const { return m_DropBoxPicture; }
    const QPixmap& DropBoxPictureBusy() const { return m_DropBoxPictureBusy; }
    const QPixmap& WindowPicture() const { return m_WindowPicture; }
    QMenu* MainMenu() const { return m_mnuMain; }
    QMenu* DragDropMenu() const { return m_mnuDragDrop; }
    QMenu* CheckMenu() const { return m_mnuCheck; }
    clsProgressOverlay* ProgressOverlay() const { return m_Progress; }
    QMenu* ThemeMenu() const { return m_mnuMainTheme; }
    const std::vector<QAction*>& ThemeItems() const { return m_mnuMainThemeItems; }

signals:
    /// The window has closed for good; the process should end.
    void Unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void CreateControls();
    void CreateMenus();
    void ApplyStandardLook();
    void SetLogBoxColors(std::int32_t back, std::int32_t fore);
    void SetWindowBackColor(std::int32_t color);
    void SetOuterWidth(int outerWidth);
    void WaitForFrame();
    void RunFinished(const QString& failure);
    void StopRun();
    void QueryUnload();
    void Unload();
    bool SelectFolder(std::string& folder);
    bool AcceptsDrop() const;

    void mnuMain_Open();
    void mnuMainRestore_Click();
    void mnuMainMinimize_Click();
    void mnuMainWindowTopmost_Click();
    void mnuMainShowLogWindow_Click();
    void mnuMainThemeItems_Click(int index);
    void mnuMainAbout_Click();
    void mnuMainExit_Click();
    void imgDropBox_DragOver(QDragMoveEvent* event);
    void imgDropBox_DragDrop(QDropEvent* event);
    void imgDropBox_MouseUp(Qt::MouseButton button, const QPoint& globalPos);
    void mnuDragDropCheck_Click();
    void mnuDragDropCheckFor_Click();
    void tmrTimer_Timer();
    void m_LogWindow_QueryUnload(bool* cancel, int unloadMode);

    std::string m_ExecutablePath;
    std::optional<FileLocations> m_Locations;
    double m_TwipsPerPixelX = 15.0;
    double m_TwipsPerPixelY = 15.0;
    bool m_Loaded = false;
    bool m_Unloaded = false;

    // Controls.
    QWidget* m_picDropBox = nullptr;
    clsImageControl* m_imgDropBox = nullptr;
    clsLogPane* m_picLogBox = nullptr;
    QTimer m_tmrTimer;
    clsLogModel m_LogModel;

    // Menus.
    QMenu* m_mnuMain = nullptr;
    QAction* m_mnuMainRestore = nullptr;
    QAction* m_mnuMainMinimize = nullptr;
    QAction* m_mnuMainWindowTopmost = nullptr;
    QAction* m_mnuMainShowLogWindow = nullptr;
    QMenu* m_mnuMainTheme = nullptr;
    std::vector<QAction*> m_mnuMainThemeItems;
    QAction* m_mnuMainAbout = nullptr;
    QAction* m_mnuMainExit = nullptr;
    QMenu* m_mnuDragDrop = nullptr;
    QAction* m_mnuDragDropCheck = nullptr;
    QAction* m_mnuDragDropCheckFor = nullptr;
    QAction* m_mnuDragDropCancel = nullptr;
    QMenu* m_mnuCheck = nullptr;
    QAction* m_mnuCheckCancel = nullptr;

    // Fields.
    std::unique_ptr<clsSHBrowseForFolder> m_FolderBrowser;
    std::unique_ptr<clsStringList> m_DropFiles;
    std::string m_CheckFolder;
    std::unique_ptr<clsCheckRun> m_CheckRun; // holds the checksum list of the run
    clsQueuedCheckHost* m_RunHost = nullptr;
    std::thread m_RunThread;
    clsProgressOverlay* m_Progress = nullptr;
    clsRunProgress* m_RunProgress = nullptr;
    std::unique_ptr<clsSettings> m_Settings;
    std::unique_ptr<clsThemeDefine> m_Theme;
    QPixmap m_DropBoxPicture;
    QPixmap m_DropBoxPictureBusy;
    QPixmap m_WindowPicture;
    bool m_TopMost = false;
    int m_DragButton = 0;
    frmLog* m_LogWindow = nullptr;
};
