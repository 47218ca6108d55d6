#include "ui/frmMain.h"

#include "FerruleVersion.h"
#include "config/clsSettings.h"
#include "config/clsThemeDefine.h"
#include "digest/mdlAPICRC32.h"
#include "digest/mdlAPIMD5.h"
#include "ui/clsImageControl.h"
#include "ui/clsLogPane.h"
#include "ui/clsProgressOverlay.h"
#include "ui/clsQueuedCheckHost.h"
#include "ui/clsRunProgress.h"
#include "ui/clsSHBrowseForFolder.h"
#include "ui/frmLog.h"
#include "ui/mdlAPIGeneral.h"
#include "ui/mdlMessageBox.h"
#include "ui/mdlThemeFiles.h"
#include "util/AppError.h"
#include "util/CaseFold.h"
#include "util/PathHelpers.h"
#include "util/Wildcard.h"
#include "util/clsStringList.h"
#include "verify/CheckCancelled.h"
#include "verify/clsCheckRun.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QListView>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QUrl>
#include <QWindow>

#include <algorithm>

namespace {

const QString kTitle = QStringLiteral(FERRULE_PRODUCT_NAME);
constexpr int kCheckDelayMs = 50;
constexpr int kRightButtonAlone = 2;
// The progress bar over the busy drop box, and how often it is brought up to date.
constexpr int kProgressHeight = 26;
// How long start-up waits for the window manager to frame the main window.
constexpr int kFrameWaitMs = 2000;

QString LastTwo(const QString& text) {
    return text.right(2);
}

bool HasFileList(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) {
        return false;
    }
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

void AcceptAsLink(QDropEvent* event) {
    // Link is what a check does to the files; a source that cannot link still gets its own action.
    event->setDropAction((event->possibleActions() & Qt::LinkAction) ? Qt::LinkAction : event->proposedAction());
    event->accept();
}

void Refuse(QDropEvent* event) {
    event->setDropAction(Qt::IgnoreAction);
    event->ignore();
}

std::string WithoutIniExtension(const std::string& name) {
    return WildcardMatch(CaseFold(name), "*.ini") ? name.substr(0, name.size() - 4) : name;
}

QString MenuCaption(const std::string& text) {
    return QString::fromStdString(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

frmMain::frmMain(std::string executablePath, QWidget* parent)
    : QWidget(parent), m_ExecutablePath(std::move(executablePath)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(WindowFont());
    setFixedSize(312, 144);
    QIcon icon;
    icon.addFile(QStringLiteral(":/res/ferrule16.bmp"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/res/ferrule32.bmp"), QSize(32, 32));
    setWindowIcon(icon);
    CreateControls();
    CreateMenus();
}

frmMain::~frmMain() {
    StopRun();
}

std::string frmMain::ApplicationPath() {
    return QDir::toNativeSeparators(QCoreApplication::applicationFilePath()).toStdString();
}

QString frmMain::CaptionText(int major, int minor) {
    return kTitle + QStringLiteral(" ver.") + QString::number(major) + QStringLiteral(".") +
           LastTwo(QStringLiteral("0") + QString::number(minor));
}

QString frmMain::AboutText(int crcVersion, int md5Version, const QLocale& locale) {
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral(FERRULE_PRODUCT_NAME) + QStringLiteral(" Version ") + QString::number(FERRULE_VERSION_MAJOR) +
           QStringLiteral(".") + LastTwo(QStringLiteral("00") + QString::number(FERRULE_VERSION_MINOR)) + crlf + crlf +
           QStringLiteral(FERRULE_LEGAL_COPYRIGHT) + crlf + crlf + QStringLiteral(" (CRC32.DLL ") +
           locale.toString(crcVersion / 100.0, 'f', 2) + QStringLiteral(" / ") + QStringLiteral("MD5.DLL ") +
           locale.toString(md5Version / 100.0, 'f', 2) + QStringLiteral(")") + crlf;
}

void frmMain::CreateControls() {
    m_picDropBox = new QWidget(this);
    m_picDropBox->setObjectName(QStringLiteral("picDropBox"));
    m_picDropBox->setGeometry(8, 8, 128, 128);
    m_picDropBox->setAutoFillBackground(true);

    // Drops are taken by the host, which stays enabled while the picture is disabled during a check: a
    // drag that enters then keeps being asked about on every move, and is accepted once the check ends.
    // Drags over the picture reach the host, since the picture itself takes none.
    m_picDropBox->setAcceptDrops(true);
    m_picDropBox->installEventFilter(this);

    m_imgDropBox = new clsImageControl(m_picDropBox);
    m_imgDropBox->setObjectName(QStringLiteral("imgDropBox"));
    m_imgDropBox->setGeometry(0, 0, 128, 128);
    m_imgDropBox->installEventFilter(this);

    m_Progress = new clsProgressOverlay(m_picDropBox);
    m_Progress->setGeometry(0, 128 - kProgressHeight, 128, kProgressHeight);
    m_Progress->hide();

    m_picLogBox = new clsLogPane(&m_LogModel, this);
    m_picLogBox->setGeometry(144, 8, 160, 128);

    m_tmrTimer.setObjectName(QStringLiteral("tmrTimer"));
    m_tmrTimer.setSingleShot(true);
    m_tmrTimer.setInterval(kCheckDelayMs);
    connect(&m_tmrTimer, &QTimer::timeout, this, &frmMain::tmrTimer_Timer);
}

void frmMain::CreateMenus() {
    m_mnuMain = new QMenu(this);
    m_mnuMain->setObjectName(QStringLiteral("mnuMain"));
    m_mnuMainRestore = m_mnuMain->addAction(QStringLiteral("元のサイズに戻す(&R)"));
    m_mnuMainRestore->setObjectName(QStringLiteral("mnuMainRestore"));
    m_mnuMainMinimize = m_mnuMain->addAction(QStringLiteral("最小化(&N)"));
    m_mnuMainMinimize->setObjectName(QStringLiteral("mnuMainMinimize"));
    m_mnuMainWindowTopmost = m_mnuMain->addAction(QStringLiteral("常に手前に表示(&T)"));
    m_mnuMainWindowTopmost->setObjectName(QStringLiteral("mnuMainWindowTopmost"));
    m_mnuMainWindowTopmost->setCheckable(true);
    m_mnuMainShowLogWindow = m_mnuMain->addAction(QStringLiteral("ログを別ウィンドウで表示(&L)"));
    m_mnuMainShowLogWindow->setObjectName(QStringLiteral("mnuMainShowLogWindow"));
    m_mnuMainShowLogWindow->setCheckable(true);
    m_mnuMain->addSeparator()->setObjectName(QStringLiteral("mnuMainBar1"));
    m_mnuMainTheme = m_mnuMain->addMenu(QStringLiteral("色と背景(&C)"));
    m_mnuMainTheme->setObjectName(QStringLiteral("mnuMainTheme"));
    QAction* standard = m_mnuMainTheme->addAction(QString());
    standard->setObjectName(QStringLiteral("mnuMainThemeItems"));
    standard->setCheckable(true);
    connect(standard, &QAction::triggered, this, [this] { mnuMainThemeItems_Click(0); });
    m_mnuMainThemeItems.push_back(standard);
    m_mnuMain->addSeparator()->setObjectName(QStringLiteral("mnuMainBar2"));
    m_mnuMainAbout = m_mnuMain->addAction(QStringLiteral("バージョン情報(&A)..."));
    m_mnuMainAbout->setObjectName(QStringLiteral("mnuMainAbout"));
    m_mnuMainExit = m_mnuMain->addAction(QStringLiteral("終了(&X)"));
    m_mnuMainExit->setObjectName(QStringLiteral("mnuMainExit"));
    connect(m_mnuMain, &QMenu::aboutToShow, this, &frmMain::mnuMain_Open);
    connect(m_mnuMainRestore, &QAction::triggered, this, &frmMain::mnuMainRestore_Click);
    connect(m_mnuMainMinimize, &QAction::triggered, this, &frmMain::mnuMainMinimize_Click);
    connect(m_mnuMainWindowTopmost, &QAction::triggered, this, &frmMain::mnuMainWindowTopmost_Click);
    connect(m_mnuMainShowLogWindow, &QAction::triggered, this, &frmMain::mnuMainShowLogWindow_Click);
    connect(m_mnuMainAbout, &QAction::triggered, this, &frmMain::mnuMainAbout_Click);
    connect(m_mnuMainExit, &QAction::triggered, this, &frmMain::mnuMainExit_Click);

    m_mnuDragDrop = new QMenu(this);
    m_mnuDragDrop->setObjectName(QStringLiteral("mnuDragDrop"));
    m_mnuDragDropCheck = m_mnuDragDrop->addAction(QStringLiteral("チェック(&C)"));
    m_mnuDragDropCheck->setObjectName(QStringLiteral("mnuDragDropCheck"));
    m_mnuDragDropCheckFor = m_mnuDragDrop->addAction(QStringLiteral("フォルダを指定してチェック(&H)..."));
    m_mnuDragDropCheckFor->setObjectName(QStringLiteral("mnuDragDropCheckFor"));
    m_mnuDragDrop->addSeparator()->setObjectName(QStringLiteral("mnuDragDropBar1"));
    m_mnuDragDropCancel = m_mnuDragDrop->addAction(QStringLiteral("キャンセル"));
    m_mnuDragDropCancel->setObjectName(QStringLiteral("mnuDragDropCancel"));
    m_mnuDragDrop->setDefaultAction(m_mnuDragDropCheck);
    connect(m_mnuDragDropCheck, &QAction::triggered, this, &frmMain::mnuDragDropCheck_Click);

    // The busy drop box's own menu: the one thing to do during a check is to stop it.
    m_mnuCheck = new QMenu(this);
    m_mnuCheck->setObjectName(QStringLiteral("mnuCheck"));
    m_mnuCheckCancel = m_mnuCheck->addAction(QStringLiteral("チェックを中止(&S)"));
    m_mnuCheckCancel->setObjectName(QStringLiteral("mnuCheckCancel"));
    connect(m_mnuCheckCancel, &QAction::triggered, this, &frmMain::CancelCheck);
    connect(m_mnuDragDropCheckFor, &QAction::triggered, this, &frmMain::mnuDragDropCheckFor_Click);
}

void frmMain::Form_Load() {
    if (m_Loaded) {
        return;
    }
    m_Loaded = true;
    m_TwipsPerPixelX = TwipsPerPixelX();
    m_TwipsPerPixelY = TwipsPerPixelY();

    setWindowTitle(CaptionText(FERRULE_VERSION_MAJOR, FERRULE_VERSION_MINOR));
    m_mnuMainExit->setText(kTitle + QStringLiteral(" の終了(&X)\tAlt+F4"));
    m_mnuDragDropCancel->setText(QStringLiteral("キャンセル\tESC"));
    m_imgDropBox->setToolTip(QStringLiteral("ここにCRC/MD5ファイルをドロップしてください"));

    m_LogWindow = new frmLog(&m_LogModel, this);
    connect(m_LogWindow, &frmLog::QueryUnload, this, &frmMain::m_LogWindow_QueryUnload);
    m_LogWindow->Form_Load();

    if (!m_Locations) {
        m_Locations = CurrentFileLocations(m_ExecutablePath);
    }
    m_Settings = std::make_unique<clsSettings>(m_ExecutablePath, m_TwipsPerPixelX, m_TwipsPerPixelY);
    m_Settings->setSettingsFile(m_Locations->settingsFile);
    m_Settings->LoadSettings();

    // Moved before its native window exists, the window is placed by its frame's top-left corner, which
    // is what the settings hold; and the place is asked for even when it is (0, 0), so that the window
    // manager does not choose one of its own.
    move(static_cast<int>(RoundHalfEven(m_Settings->WindowLeft() / m_TwipsPerPixelX)),
         static_cast<int>(RoundHalfEven(m_Settings->WindowTop() / m_TwipsPerPixelY)));
    setTopMost(m_Settings->WindowTopMost());

    m_Theme = std::make_unique<clsThemeDefine>();
    ApplyTheme(m_Settings->ThemeName());
    BuildThemeMenu();

    m_FolderBrowser = std::make_unique<clsSHBrowseForFolder>();
    m_DropFiles = std::make_unique<clsStringList>();
    m_RunHost = new clsQueuedCheckHost(*this, this);
    m_CheckRun = std::make_unique<clsCheckRun>(*m_RunHost);
    m_CheckRun->setReaders(m_Settings->Readers());
    m_RunProgress = new clsRunProgress(
        m_Progress, this, m_imgDropBox, CaptionText(FERRULE_VERSION_MAJOR, FERRULE_VERSION_MINOR),
        [this] { return m_CheckRun->Progress(); }, this);

    m_picLogBox->picLogBox_Resize();
    show();

    // The log window's default place depends on this window's outer size, frame included; the frame is
    // known only once the window manager has put one around the window.
    WaitForFrame();
    if (m_Settings->LogWindowWidth() == 0.0f || m_Settings->LogWindowHeight() == 0.0f) {
        const QScreen* screen = this->screen();
        const QSize screenSize = screen != nullptr ? screen->geometry().size() : QSize(0, 0);
        const QSize outer = frameGeometry().size();
        const double screenWidth = screenSize.width() * m_TwipsPerPixelX;
        const double screenHeight = screenSize.height() * m_TwipsPerPixelY;
        const double width = outer.width() * m_TwipsPerPixelX;
        const double height = outer.height() * m_TwipsPerPixelY;
        m_Settings->setLogWindowLeft(static_cast<float>(RoundHalfEven(screenWidth - width) / 2));
        m_Settings->setLogWindowTop(static_cast<float>(RoundHalfEven(screenHeight - height) / 2));
        m_Settings->setLogWindowWidth(static_cast<float>(width));
        m_Settings->setLogWindowHeight(static_cast<float>(height));
    }
    if (const QWindow* handle = windowHandle()) {
        m_LogWindow->setOwnerFrame(handle->frameMargins());
    }
    m_LogWindow->setOuterGeometry(
        QRect(static_cast<int>(RoundHalfEven(m_Settings->LogWindowLeft() / m_TwipsPerPixelX)),
              static_cast<int>(RoundHalfEven(m_Settings->LogWindowTop() / m_TwipsPerPixelY)),
              static_cast<int>(RoundHalfEven(m_Settings->LogWindowWidth() / m_TwipsPerPixelX)),
              static_cast<int>(RoundHalfEven(m_Settings->LogWindowHeight() / m_TwipsPerPixelY))));

    SetLogWindowVisible(m_Settings->ShowLogWindow());
}

void frmMain::WaitForFrame() {
    QWindow* handle = windowHandle();
    QDeadlineTimer deadline(kFrameWaitMs);
    while (handle != nullptr && !handle->isExposed() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::ExcludeUserInputEvents, 10);
    }
    // The frame arrives with the window manager's answer to the mapping, which may trail the exposure.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmMain::setTopMost(bool value) {
    SetWindowTopMost(this, value, false);
    m_TopMost = value;
}

// ---- Log window ----

void frmMain::SetOuterWidth(int outerWidth) {
    const int frameWidth = frameGeometry().width() - width();
    setFixedWidth(outerWidth - frameWidth);
}

void frmMain::SetLogWindowVisible(bool visible) {
    const int outer = frameGeometry().width();
    const int client = width();
    if (visible) {
        SetOuterWidth(outer - client + m_picLogBox->x());
        m_picLogBox->setEnabled(false);
        m_LogWindow->show();
        m_LogWindow->LogPane()->List()->setFocus(Qt::OtherFocusReason);
    } else {
        m_LogWindow->hide();
        m_picLogBox->setEnabled(true);
        SetOuterWidth(outer - client + m_picLogBox->width() + m_picLogBox->x() + m_picDropBox->x());
        m_picLogBox->List()->setFocus(Qt::OtherFocusReason);
    }
}

void frmMain::m_LogWindow_QueryUnload(bool* cancel, int unloadMode) {
    if (unloadMode == frmLog::UnloadByUser) {
        *cancel = true;
        SetLogWindowVisible(false);
    }
}

// ---- Themes ----

void frmMain::SetLogBoxColors(std::int32_t back, std::int32_t fore) {
    const QPalette system = QApplication::palette();
    QListView* lists[] = {m_picLogBox->List(), m_LogWindow->LogPane()->List()};
    for (QListView* list : lists) {
        QPalette palette = list->palette();
        palette.setColor(QPalette::Base, ColorFromWin32(back, system));
        list->setPalette(palette);
    }
    for (QListView* list : lists) {
        QPalette palette = list->palette();
        palette.setColor(QPalette::Text, ColorFromWin32(fore, system));
        list->setPalette(palette);
    }
}

void frmMain::SetWindowBackColor(std::int32_t color) {
    const QColor back = ColorFromWin32(color, QApplication::palette());
    QWidget* windows[] = {this, m_LogWindow};
    for (QWidget* window : windows) {
        QPalette palette = window->palette();
        palette.setColor(QPalette::Window, back);
        window->setPalette(palette);
    }
}

void frmMain::ApplyTheme(const std::string& name) {
    m_DropBoxPicture = QPixmap();
    m_DropBoxPictureBusy = QPixmap();
    m_WindowPicture = QPixmap();
    if (name.empty()) {
        ApplyStandardLook();
        return;
    }

    m_Theme->LoadTheme(FindThemeFile(m_Locations->themeFolders, name));

    QPalette dropBox = m_picDropBox->palette();
    dropBox.setColor(QPalette::Window, ColorFromWin32(m_Theme->DropBoxBackColor(), QApplication::palette()));
    m_picDropBox->setPalette(dropBox);
    // A picture the theme names but that cannot be shown gives the whole standard look instead.
    const std::string idle = m_Theme->DropBoxImage();
    if (!idle.empty() && !LoadPictureFile(idle, m_DropBoxPicture)) {
        ApplyStandardLook();
        return;
    }
    const std::string busy = m_Theme->DropBoxImageBusy();
    if (!busy.empty() && !LoadPictureFile(busy, m_DropBoxPictureBusy)) {
        ApplyStandardLook();
        return;
    }
    m_imgDropBox->setPicture(m_DropBoxPicture);
    SetLogBoxColors(m_Theme->LogBoxBackColor(), m_Theme->LogBoxForeColor());
    SetWindowBackColor(m_Theme->WindowBackColor());
    const std::string background = m_Theme->WindowImage();
    if (!background.empty() && !LoadPictureFile(background, m_WindowPicture)) {
        ApplyStandardLook();
        return;
    }
    update();
}

void frmMain::ApplyStandardLook() {
    m_Theme->InitTheme();
    QPalette dropBox = m_picDropBox->palette();
    dropBox.setColor(QPalette::Window, ColorFromWin32(ThemeColor::WindowBackground, QApplication::palette()));
    m_picDropBox->setPalette(dropBox);
    m_DropBoxPicture = QPixmap(QStringLiteral(":/res/DIB_DROPBOX.bmp"));
    m_DropBoxPictureBusy = QPixmap(QStringLiteral(":/res/DIB_DROPBOX_BUSY.bmp"));
    m_imgDropBox->setPicture(m_DropBoxPicture);
    SetLogBoxColors(ThemeColor::WindowBackground, ThemeColor::WindowText);
    SetWindowBackColor(ThemeColor::ButtonFace);
    m_WindowPicture = QPixmap();
    update();
}

void frmMain::BuildThemeMenu() {
    m_mnuMainThemeItems[0]->setText(QStringLiteral("標準(&D)"));
    while (m_mnuMainThemeItems.size() > 1) {
        delete m_mnuMainThemeItems.back();
        m_mnuMainThemeItems.pop_back();
    }
    const std::string current = GetFileName(m_Theme->FileName());
    for (const ThemeFile& theme : ListThemes(m_Locations->themeFolders)) {
        const int index = static_cast<int>(m_mnuMainThemeItems.size());
        QAction* item = m_mnuMainTheme->addAction(MenuCaption(theme.name));
        item->setObjectName(QStringLiteral("mnuMainThemeItems"));
        item->setData(QString::fromStdString(theme.name));
        item->setCheckable(true);
        item->setChecked(EqualsIgnoreCase(GetFileName(theme.path), current));
        connect(item, &QAction::triggered, this, [this, index] { mnuMainThemeItems_Click(index); });
        m_mnuMainThemeItems.push_back(item);
    }
    m_mnuMainThemeItems[0]->setChecked(m_Theme->FileName().empty());
}

void frmMain::mnuMainThemeItems_Click(int index) {
    if (index < 1) {
        ApplyTheme(std::string());
    } else {
        ApplyTheme(m_mnuMainThemeItems[static_cast<std::size_t>(index)]->data().toString().toStdString());
    }
    BuildThemeMenu();
}

void frmMain::paintEvent(QPaintEvent*) {
    if (!m_WindowPicture.isNull()) {
        QPainter painter(this);
        painter.drawPixmap(0, 0, m_WindowPicture);
    }
}

// ---- Main menu ----

void frmMain::mnuMain_Open() {
    const Qt::WindowStates state = windowState();
    m_mnuMainRestore->setEnabled((state & (Qt::WindowMinimized | Qt::WindowMaximized)) != 0);
    m_mnuMainMinimize->setEnabled((state & Qt::WindowMinimized) == 0);
    m_mnuMainWindowTopmost->setChecked(TopMost());
    m_mnuMainShowLogWindow->setChecked(m_LogWindow->isVisible());
}

void frmMain::mnuMainRestore_Click() {
    if ((windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) != 0) {
        setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    }
}

void frmMain::mnuMainMinimize_Click() {
    if ((windowState() & Qt::WindowMinimized) == 0) {
        setWindowState(windowState() | Qt::WindowMinimized);
    }
}

void frmMain::mnuMainWindowTopmost_Click() {
    setTopMost(!TopMost());
    m_mnuMainWindowTopmost->setChecked(TopMost());
}

void frmMain::mnuMainShowLogWindow_Click() {
    // The action has already turned its check mark over.
    SetLogWindowVisible(m_mnuMainShowLogWindow->isChecked());
}

void frmMain::mnuMainAbout_Click() {
    const QString text = AboutText(CRC32Version(), MD5Version(), QLocale::system());
    ShowMessageBox(this, text, QMessageBox::NoIcon, kTitle + QStringLiteral(" のバージョン情報"));
}

void frmMain::mnuMainExit_Click() {
    close();
}

// ---- Check requests ----

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_picDropBox) {
        switch (event->type()) {
            case QEvent::DragEnter:
                imgDropBox_DragOver(static_cast<QDragMoveEvent*>(event));
                // Taking every file drag as it enters keeps the moves coming, and each move decides anew.
                if (HasFileList(static_cast<QDragEnterEvent*>(event)->mimeData())) {
                    event->accept();
                }
                return true;
            case QEvent::DragMove:
                imgDropBox_DragOver(static_cast<QDragMoveEvent*>(event));
                return true;
            case QEvent::Drop:
                imgDropBox_DragDrop(static_cast<QDropEvent*>(event));
                return true;
            default:
                break;
        }
    } else if (watched == m_imgDropBox && event->type() == QEvent::MouseButtonRelease) {
        // A disabled picture takes no mouse input, although its event filters still see it; during a
        // check, the right button offers to stop it instead of the main menu.
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_imgDropBox->isEnabled()) {
            imgDropBox_MouseUp(mouse->button(), mouse->globalPosition().toPoint());
        } else if (mouse->button() == Qt::RightButton && CheckRunning()) {
            m_mnuCheck->exec(mouse->globalPosition().toPoint());
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool frmMain::AcceptsDrop() const {
    return m_CheckRun && m_imgDropBox->isEnabled() && !m_tmrTimer.isActive();
}

bool frmMain::OpenLists(const std::vector<std::string>& lists) {
    if (!AcceptsDrop()) {
        return false;
    }
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
    if (lists.empty()) {
        return true;
    }
    try {
        m_DropFiles->RemoveAll();
        for (const std::string& list : lists) {
            m_DropFiles->Add(list, -1);
        }
    } catch (const AppError& error) {
        ShowMessageBox(this, QString::fromStdString(error.Description()), QMessageBox::Critical, kTitle);
        m_DropFiles->RemoveAll();
        return false;
    }
    mnuDragDropCheck_Click();
    return true;
}

void frmMain::imgDropBox_DragOver(QDragMoveEvent* event) {
    if (HasFileList(event->mimeData()) && AcceptsDrop()) {
        AcceptAsLink(event);
    } else {
        Refuse(event);
    }
    // The buttons are known only while the drag moves; at the drop they read as none on some systems.
    m_DragButton = static_cast<int>(event->buttons() & (Qt::LeftButton | Qt::RightButton | Qt::MiddleButton));
}

void frmMain::imgDropBox_DragDrop(QDropEvent* event) {
    try {
        activateWindow();
        const QMimeData* data = event->mimeData();
        if (!HasFileList(data)) {
            Refuse(event);
            return;
        }
        if (!AcceptsDrop()) {
            Refuse(event);
            return;
        }
        AcceptAsLink(event);
        m_DropFiles->RemoveAll();
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile()) {
                m_DropFiles->Add(QDir::toNativeSeparators(url.toLocalFile()).toStdString(), -1);
            }
        }
        if (m_DragButton == kRightButtonAlone) {
            m_mnuDragDrop->exec(m_picDropBox->mapToGlobal(event->position().toPoint()));
        } else {
            mnuDragDropCheck_Click();
        }
    } catch (const AppError& error) {
        ShowMessageBox(this, QString::fromStdString(error.Description()), QMessageBox::Critical, kTitle);
        Refuse(event);
    }
}

void frmMain::imgDropBox_MouseUp(Qt::MouseButton button, const QPoint& globalPos) {
    if (button == Qt::RightButton) {
        m_mnuMain->exec(globalPos); // its opening handler runs as it opens
    }
}

void frmMain::mnuDragDropCheck_Click() {
    m_CheckFolder.clear();
    m_tmrTimer.start();
}

void frmMain::mnuDragDropCheckFor_Click() {
    std::string folder;
    if (SelectFolder(folder)) {
        m_CheckFolder = folder;
        m_tmrTimer.start();
    }
}

bool frmMain::SelectFolder(std::string& folder) {
    m_FolderBrowser->sethWnd(this);
    m_FolderBrowser->setTitle("コピー先を指定してください。");
    m_FolderBrowser->setRootFolder(0);
    m_FolderBrowser->setOptions(1);
    for (;;) {
        if (!m_FolderBrowser->ShowDialog()) {
            return false;
        }
        const std::string& path = m_FolderBrowser->PathName();
        if (IsAbsoluteFolderPath(path)) {
            folder = path;
            return true;
        }
        ShowMessageBox(this, QStringLiteral("フォルダの指定が無効です。別の場所を指定してください。"),
                       QMessageBox::Warning, kTitle);
    }
}

void frmMain::tmrTimer_Timer() {
    m_tmrTimer.stop();
    if (m_RunThread.joinable()) {
        m_tmrTimer.start(); // a request armed from a modal loop during a run waits for the run's end
        return;
    }
    if (m_DropFiles->Count() == 0) {
        return; // a run of no lists would only empty the log
    }
    // The run works on a thread of its own and writes through the queued host; the window stays live.
    // The drop box turns busy now, so that no drop slips in before the run's first word arrives, and stays
    // busy until RunFinished.
    SetDropBoxBusy(true);
    // A stop asked from now on, even before the run's first step, is for this run; older ones are not.
    m_CheckRun->ResetCancel();
    m_RunHost->Reset();
    m_RunProgress->Start();
    m_RunThread = std::thread([this, files = *m_DropFiles, folder = m_CheckFolder] {
        QString failure;
        try {
            m_CheckRun->CheckDropFiles(files, folder);
        } catch (const CheckCancelled&) {
            // stopped by the user or by the window closing: what was written stays
        } catch (const AppError& error) {
            failure = QString::fromStdString(error.Description());
        } catch (const std::exception& error) {
            failure = QString::fromLocal8Bit(error.what());
        }
        m_RunHost->Post([this, failure] { RunFinished(failure); });
    });
}

void frmMain::RunFinished(const QString& failure) {
    m_RunThread.join();
    m_RunProgress->Stop();
    m_mnuCheck->close();          // nothing left to stop
    if (!m_tmrTimer.isActive()) { // else the lists are those of a request waiting for this end
        m_DropFiles->RemoveAll();
        m_CheckFolder.clear();
    }
    if (!failure.isNull()) {
        // The run stopped half-way: report why, keep the lines it wrote, and become usable again.
        ShowMessageBox(this, failure, QMessageBox::Critical, kTitle);
        if (m_Unloaded) {
            return;
        }
    }
    // Only now, with the run joined and its request gone, can a new request be taken without being lost.
    SetDropBoxBusy(false);
}

bool frmMain::CheckRunning() const {
    return m_RunThread.joinable();
}

void frmMain::CancelCheck() {
    if (CheckRunning()) {
        m_RunHost->RequestCancel();
        m_CheckRun->Cancel();
    }
}

void frmMain::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && CheckRunning()) {
        CancelCheck();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmMain::StopRun() {
    if (m_RunHost != nullptr) {
        m_RunHost->Detach();
        m_RunHost->RequestCancel();
    }
    if (m_CheckRun) {
        m_CheckRun->Cancel(); // also the files being hashed, so that closing never waits for them
    }
    if (m_RunThread.joinable()) {
        m_RunThread.join();
    }
}

// ---- What the run writes through ----

void frmMain::AddLog(const std::string& line) {
    m_LogModel.Append(QString::fromStdString(line));
    m_picLogBox->SelectLast();
    m_LogWindow->LogPane()->SelectLast();
}

void frmMain::ClearLog() {
    m_LogModel.Clear();
}

void frmMain::DoEvents() {
    // The run yields on its own thread (clsQueuedCheckHost); the window's events never wait for it.
}

void frmMain::SetDropBoxBusy(bool busy) {
    if (busy) {
        m_imgDropBox->setPicture(m_DropBoxPictureBusy);
        m_imgDropBox->setEnabled(false);
    } else {
        m_imgDropBox->setEnabled(true);
        m_imgDropBox->setPicture(m_DropBoxPicture);
    }
}

void frmMain::SelectLastLogLine() {
    m_picLogBox->SelectLast();
}

// ---- Shut-down ----

void frmMain::closeEvent(QCloseEvent* event) {
    if (m_Loaded && !m_Unloaded) {
        QueryUnload();
        Unload();
    }
    event->accept();
}

void frmMain::QueryUnload() {
    m_Settings->setThemeName(WithoutIniExtension(GetFileName(m_Theme->FileName())));
    const QRect log = m_LogWindow->OuterGeometry();
    m_Settings->setLogWindowLeft(static_cast<float>(log.x() * m_TwipsPerPixelX));
    m_Settings->setLogWindowTop(static_cast<float>(log.y() * m_TwipsPerPixelY));
    m_Settings->setLogWindowWidth(static_cast<float>(log.width() * m_TwipsPerPixelX));
    m_Settings->setLogWindowHeight(static_cast<float>(log.height() * m_TwipsPerPixelY));
    m_Settings->setShowLogWindow(m_LogWindow->isVisible());
    m_Settings->setWindowLeft(static_cast<float>(pos().x() * m_TwipsPerPixelX));
    m_Settings->setWindowTop(static_cast<float>(pos().y() * m_TwipsPerPixelY));
    m_Settings->setWindowTopMost(TopMost());
    try {
        m_Settings->SaveSettings();
    } catch (const AppError&) {
        // Nothing can be done about it while closing; the next start uses the settings of before.
    }
}

void frmMain::Unload() {
    m_Unloaded = true;
    m_tmrTimer.stop();
    StopRun(); // the run ends at its next yield; nothing it wrote after this reaches the window
    m_LogWindow->CloseByProgram();
    emit Unloaded();
}
