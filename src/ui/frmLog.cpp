#include "ui/frmLog.h"

#include "ui/clsLogPane.h"
#include "ui/mdlAPIGeneral.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QWindow>

namespace {

constexpr int kMargin = 8;
constexpr QSize kDesignedClientSize(272, 174);

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

QSize frmLog::FrameExtra() const {
    const QWindow* handle = windowHandle();
    if (handle == nullptr) {
        return {0, 0};
    }
    const QMargins margins = handle->frameMargins();
    return {margins.left() + margins.right(), margins.top() + margins.bottom()};
}

QRect frmLog::OuterGeometry() const {
    const QSize size = m_PendingOuterSize.isValid() ? m_PendingOuterSize : this->size() + FrameExtra();
    return {pos(), size};
}

void frmLog::setOuterGeometry(const QRect& outer) {
    move(outer.topLeft());
    m_PendingOuterSize = outer.size();
    ApplyPendingOuterSize();
}

void frmLog::ApplyPendingOuterSize() {
    if (!m_PendingOuterSize.isValid()) {
        return;
    }
    const QSize extra = FrameExtra();
    m_ApplyingOuterSize = true;
    resize((m_PendingOuterSize - extra).expandedTo(QSize(0, 0)));
    m_ApplyingOuterSize = false;
    // Until the window is on screen with a frame, the frame may still change the outer size.
    if (isVisible() && !extra.isNull()) {
        m_PendingOuterSize = QSize();
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
    if (!m_ApplyingOuterSize && isVisible() && m_PendingOuterSize.isValid() &&
        size() + FrameExtra() != m_PendingOuterSize) {
        m_PendingOuterSize = QSize(); // the user sized it: what is on screen now counts
    }
    Form_Resize();
}

void frmLog::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    ApplyPendingOuterSize();
}

void frmLog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ApplyPendingOuterSize();
}
