#include "ui/frmLog.h"

#include "ui/clsLogPane.h"
#include "ui/mdlAPIGeneral.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QWindow>

namespace {

constexpr int kMargin = 8;
constexpr QSize kDesignedClientSize(272, 174);
// How often, and how long, a shown window looks for the frame the window manager puts around it.
constexpr int kFrameWaitTickMs = 20;
constexpr int kFrameWaitMs = 2000;

} // namespace

frmLog::frmLog(clsLogModel* model, QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmLog"));
    setWindowTitle(QStringLiteral("結果ログ"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);
    setFont(WindowFont());
    setSizeGripEnabled(false);
    resize(kDesignedClientSize);
    m_FrameWait.setInterval(kFrameWaitTickMs);
    connect(&m_FrameWait, &QTimer::timeout, this, &frmLog::WaitForFrame);

    m_picLogBox = new clsLogPane(model, this);
    m_picLogBox->setGeometry(kMargin, kMargin, kDesignedClientSize.width() - 2 * kMargin,
                             kDesignedClientSize.height() - 2 * kMargin);
}

void frmLog::Form_Load() {
    update();
    Form_Resize();
}

void frmLog::Form_Resize() {
    const int hostWidth = width() - 2 * kMargin;
    const int hostHeight = height() - 2 * kMargin;
    if (hostWidth >= 0 && hostHeight >= 0) {
        m_picLogBox->setGeometry(kMargin, kMargin, hostWidth, hostHeight);
    }
    m_picLogBox->FitListToHost();
}

void frmLog::CloseByProgram() {
    m_UnloadMode = UnloadByProgram;
    close();
    m_UnloadMode = UnloadByUser;
}

std::optional<QMargins> frmLog::MeasuredFrame() const {
    const QWindow* handle = windowHandle();
    if (handle == nullptr || !isVisible()) {
        return std::nullopt;
    }
    const QMargins margins = handle->frameMargins();
    if (margins.isNull()) {
        return std::nullopt; // not framed yet, or no window manager
    }
    m_KnownFrame = margins;
    return margins;
}

QMargins frmLog::Frame() const {
    // A hidden window has no frame on screen: it keeps the one it had when last shown.
    return MeasuredFrame().value_or(m_KnownFrame);
}

void frmLog::setOwnerFrame(const QMargins& frame) {
    if (!MeasuredFrame()) {
        m_KnownFrame = frame;
    }
}

QRect frmLog::OuterGeometry() const {
    return m_PendingOuter.isValid() ? m_PendingOuter : geometry().marginsAdded(Frame());
}

void frmLog::setOuterGeometry(const QRect& outer) {
    m_PendingOuter = outer;
    ApplyPendingOuterGeometry();
}

void frmLog::ApplyPendingOuterGeometry() {
    if (!m_PendingOuter.isValid()) {
        return;
    }
    // The window is placed by its inside; the frame is worked out here rather than left to the window
    // system, which does not always know it for an owned window.
    const std::optional<QMargins> measured = MeasuredFrame();
    const QRect inside = m_PendingOuter.marginsRemoved(measured.value_or(m_KnownFrame));
    setGeometry(QRect(inside.topLeft(), inside.size().expandedTo(QSize(0, 0))));
    // Until the window is on screen with a frame, the frame may still change: the place and size asked
    // for are applied again once it is known.
    if (measured) {
        m_PendingOuter = QRect();
    }
}

void frmLog::closeEvent(QCloseEvent* event) {
    bool cancel = false;
    emit QueryUnload(&cancel, m_UnloadMode);
    if (cancel) {
        event->ignore();
    } else {
        event->accept();
    }
}

void frmLog::keyPressEvent(QKeyEvent* event) {
    // Escape closes dialogs; this window is not one in that sense and stays as it is.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmLog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Form_Resize();
}

void frmLog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_PendingOuter.isValid()) {
        m_FrameWait.start();
    }
}

void frmLog::WaitForFrame() {
    // The frame arrives some time after the window is shown, with no event of its own.
    if (MeasuredFrame() || !isVisible() || ++m_FrameWaitTicks * kFrameWaitTickMs > kFrameWaitMs) {
        m_FrameWait.stop();
        m_FrameWaitTicks = 0;
        ApplyPendingOuterGeometry();
    }
}
