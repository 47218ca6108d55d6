#include "ui/clsLogPane.h"

#include "ui/clsLogModel.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>

namespace {

// How long appended lines may wait before the view selects and shows the last one: short enough to
// look immediate, long enough that a fast check does not scroll the view for every line.
constexpr int kSelectDelayMs = 25;

constexpr Qt::KeyboardModifiers kShiftCtrlAlt = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;

} // namespace

clsLogPane::clsLogPane(clsLogModel* model, QWidget* parent) : QWidget(parent), m_Model(model) {
    setObjectName(QStringLiteral("picLogBox"));

    m_lstLogBox = new QListView(this);
    m_lstLogBox->setObjectName(QStringLiteral("lstLogBox"));
    m_lstLogBox->setModel(m_Model);
    m_lstLogBox->setUniformItemSizes(true);
    m_lstLogBox->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lstLogBox->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lstLogBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_lstLogBox->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_lstLogBox->setAutoScroll(false);
    m_lstLogBox->setTextElideMode(Qt::ElideNone); // long lines are clipped, as in a list box
    m_lstLogBox->setFrameShape(QFrame::StyledPanel);
    m_lstLogBox->setFrameShadow(QFrame::Sunken);
    m_lstLogBox->setContextMenuPolicy(Qt::NoContextMenu);
    m_lstLogBox->viewport()->setContextMenuPolicy(Qt::NoContextMenu);
    m_lstLogBox->installEventFilter(this);
    m_lstLogBox->viewport()->installEventFilter(this);

    m_mnuLog = new QMenu(this);
    m_mnuLog->setObjectName(QStringLiteral("mnuLog"));
    m_mnuLogCopyAll = m_mnuLog->addAction(QStringLiteral("結果をコピー(&C)"));
    m_mnuLogCopyAll->setObjectName(QStringLiteral("mnuLogCopyAll"));
    connect(m_mnuLog, &QMenu::aboutToShow, this, &clsLogPane::mnuLog_Open);
    connect(m_mnuLogCopyAll, &QAction::triggered, this, &clsLogPane::mnuLogCopyAll_Click);

    m_SelectTimer.setSingleShot(true);
    m_SelectTimer.setInterval(kSelectDelayMs);
    connect(&m_SelectTimer, &QTimer::timeout, this, &clsLogPane::FlushSelection);
    // A reset model takes the selection with it.
    connect(m_Model, &QAbstractItemModel::modelReset, this, &clsLogPane::ResetSelection);
}

int clsLogPane::LineCount() const {
    return m_Model->Count();
}

int clsLogPane::SelectedIndex() const {
    if (m_SelectPending) {
        return LineCount() - 1;
    }
    const QModelIndexList rows = m_lstLogBox->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void clsLogPane::setSelectedIndex(int index) {
    m_SelectPending = false;
    m_SelectTimer.stop();
    QItemSelectionModel* selection = m_lstLogBox->selectionModel();
    if (index < 0 || index >= LineCount()) {
        selection->clearSelection();
        return;
    }
    m_Model->Flush();
    const QModelIndex row = m_Model->index(index);
    selection->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect);
    m_lstLogBox->scrollTo(row);
}

void clsLogPane::SelectLast() {
    if (LineCount() == 0) {
        return;
    }
    m_SelectPending = true;
    if (!m_SelectTimer.isActive()) {
        m_SelectTimer.start();
    }
}

void clsLogPane::FlushSelection() {
    if (m_SelectPending) {
        setSelectedIndex(LineCount() - 1);
    }
}

void clsLogPane::ResetSelection() {
    m_SelectPending = false;
    m_SelectTimer.stop();
}

int clsLogPane::IndexFromY(int y) const {
    const int count = LineCount();
    if (count == 0) {
        return -1;
    }
    m_Model->Flush();
    const int rowHeight = qMax(1, m_lstLogBox->sizeHintForRow(0));
    const QModelIndex top = m_lstLogBox->indexAt(QPoint(0, 0));
    const int row = y / rowHeight + (top.isValid() ? top.row() : 0);
    return row > count - 1 ? -1 : row;
}

void clsLogPane::picLogBox_Resize() {
    // The frame of the list lies outside the host, which clips it away: only the lines show.
    const int ex = m_lstLogBox->frameWidth();
    const int ey = m_lstLogBox->frameWidth();
    m_lstLogBox->setGeometry(-ex, -ey, width() + 2 * ex, height() + 2 * ey);
}

void clsLogPane::FitListToHost() {
    m_lstLogBox->setGeometry(0, 0, width(), height());
    picLogBox_Resize();
}

void clsLogPane::ShowLogMenu(const QPoint& globalPos) {
    m_mnuLog->exec(globalPos);
}

void clsLogPane::lstLogBox_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, const QPoint& pos) {
    if (button == Qt::RightButton) {
        if (LineCount() > 0) {
            setSelectedIndex(IndexFromY(pos.y()));
        }
        m_lstLogBox->setFocus(Qt::MouseFocusReason);
    } else if (button == Qt::LeftButton) {
        m_SelectPending = false; // the user's click wins over a pending move to the last line
        if (LineCount() > 0 && IndexFromY(pos.y()) == -1) {
            setSelectedIndex(-1);
        }
    }
}

void clsLogPane::lstLogBox_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, const QPoint& globalPos) {
    if (button == Qt::RightButton) {
        ShowLogMenu(globalPos);
    }
}

void clsLogPane::lstLogBox_KeyUp(int keyCode, Qt::KeyboardModifiers shift) {
    if (keyCode != Qt::Key_Menu || (shift & kShiftCtrlAlt) != Qt::NoModifier) {
        return;
    }
    const QPoint centre(m_lstLogBox->width() / 2, m_lstLogBox->height() / 2);
    ShowLogMenu(m_lstLogBox->mapToGlobal(centre));
}

void clsLogPane::mnuLog_Open() {
    m_mnuLogCopyAll->setEnabled(LineCount() > 0);
}

void clsLogPane::mnuLogCopyAll_Click() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(m_Model->Text());
}

bool clsLogPane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_lstLogBox->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            lstLogBox_MouseDown(mouse->button(), mouse->modifiers(), mouse->position().toPoint());
            // The list's own handling must not move the selection a right-click below the last line cleared.
            return mouse->button() == Qt::RightButton;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton) {
                lstLogBox_MouseUp(mouse->button(), mouse->modifiers(), mouse->globalPosition().toPoint());
                return true;
            }
        }
    } else if (watched == m_lstLogBox && (event->type() == QEvent::Show || event->type() == QEvent::Resize)) {
        // Sized anew (also while hidden, or as the window manager frames its window), the view may have
        // lost the selected line from sight.
        const QModelIndex current = m_lstLogBox->currentIndex();
        if (current.isValid() && m_lstLogBox->selectionModel()->isSelected(current)) {
            m_lstLogBox->scrollTo(current);
        }
    } else if (watched == m_lstLogBox && event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat()) {
            lstLogBox_KeyUp(key->key(), key->modifiers());
        }
    }
    return QWidget::eventFilter(watched, event);
}

void clsLogPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    picLogBox_Resize();
}
