#include "UiTest.h"

#include "ui/clsImageControl.h"
#include "ui/clsLogModel.h"
#include "util/clsStringList.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <fstream>
#include <sstream>

namespace UiTest {

namespace {

constexpr int kPollMs = 10;
constexpr int kPollLimitMs = 10000;

std::vector<std::pair<std::string, TestFactory>>& MutableRegistry() {
    static std::vector<std::pair<std::string, TestFactory>> registry;
    return registry;
}

} // namespace

int Register(const char* name, TestFactory factory) {
    MutableRegistry().emplace_back(name, std::move(factory));
    return static_cast<int>(MutableRegistry().size());
}

const std::vector<std::pair<std::string, TestFactory>>& Registry() {
    return MutableRegistry();
}

Watcher::Watcher(std::function<QWidget*()> find, std::function<void(QWidget*)> handle) : m_Timer(new QTimer) {
    QObject::connect(m_Timer, &QTimer::timeout, m_Timer, [this, find = std::move(find), handle = std::move(handle)] {
        m_Waited += kPollMs;
        QWidget* widget = find();
        if (widget == nullptr && m_Waited < kPollLimitMs) {
            return;
        }
        m_Timer->stop();
        if (widget != nullptr) {
            m_Seen = true;
            handle(widget);
        }
    });
    m_Timer->start(kPollMs);
}

Watcher::~Watcher() {
    m_Timer->stop();
    m_Timer->deleteLater();
}

WatcherPtr OnNextPopup(std::function<void(QMenu*)> handle) {
    return std::make_unique<Watcher>(
        [] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            return menu != nullptr && menu->isVisible() ? menu : nullptr;
        },
        [handle = std::move(handle)](QWidget* widget) { handle(static_cast<QMenu*>(widget)); });
}

WatcherPtr OnNextModal(std::function<void(QWidget*)> handle) {
    return std::make_unique<Watcher>(
        [] {
            QWidget* modal = QApplication::activeModalWidget();
            return modal != nullptr && modal->isVisible() ? modal : nullptr;
        },
        std::move(handle));
}

std::unique_ptr<MessageSeen> AnswerNextMessage() {
    auto seen = std::make_unique<MessageSeen>();
    MessageSeen* record = seen.get();
    seen->watcher = OnNextModal([record](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box == nullptr) {
            return;
        }
        record->seen = true;
        record->title = box->windowTitle();
        record->text = box->text();
        record->icon = box->icon();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    return seen;
}

void ClickMenuItem(QMenu* menu, QAction* action) {
    const QPoint centre = menu->actionGeometry(action).center();
    QTest::mouseMove(menu, centre);
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, centre);
}

namespace {

DropOutcome EnterAndMove(QWidget* target, const QMimeData& data, Qt::MouseButtons buttons) {
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    const QPoint pos(target->width() / 2, target->height() / 2);
    QDragEnterEvent enter(pos, offered, &data, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    // As in a real drag, moves only reach a target that accepted the enter.
    QDragMoveEvent move(pos + QPoint(1, 1), offered, &data, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    DropOutcome outcome;
    outcome.overAccepted = enter.isAccepted() && move.isAccepted();
    outcome.overAction = outcome.overAccepted ? move.dropAction() : Qt::IgnoreAction;
    return outcome;
}

} // namespace

DropOutcome DragOver(QWidget* target, const QMimeData& data, Qt::MouseButtons buttons) {
    DropOutcome outcome = EnterAndMove(target, data, buttons);
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(target, &leave);
    return outcome;
}

DropOutcome DragAndDrop(QWidget* target, const QMimeData& data, Qt::MouseButtons buttons,
                        const std::function<void()>& beforeDrop) {
    DropOutcome outcome = EnterAndMove(target, data, buttons);
    if (beforeDrop) {
        beforeDrop();
    }
    const QPoint pos(target->width() / 2 + 1, target->height() / 2 + 1);
    QDropEvent drop(QPointF(pos), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, Qt::NoButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    outcome.dropAccepted = drop.isAccepted();
    outcome.dropAction = outcome.dropAccepted ? drop.dropAction() : Qt::IgnoreAction;
    if (!outcome.overAccepted) {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(target, &leave);
    }
    return outcome;
}

std::unique_ptr<QMimeData> FileData(const std::vector<std::string>& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const std::string& path : paths) {
        urls << QUrl::fromLocalFile(QString::fromStdString(path));
    }
    data->setUrls(urls);
    return data;
}

AppFixture::AppFixture() = default;

AppFixture::~AppFixture() {
    if (m_Window) {
        m_Window->close();
    }
}

frmMain& AppFixture::Start() {
    if (m_Window) {
        Close();
    }
    m_Window = std::make_unique<frmMain>(ExecutablePath());
    m_Window->Form_Load();
    return *m_Window;
}

void AppFixture::Close() {
    m_Window->close();
    m_Window.reset();
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

QStringList LogLines(frmMain& window) {
    QStringList lines;
    const clsLogModel& model = window.LogModel();
    for (int row = 0; row < model.Count(); ++row) {
        lines << model.Line(row);
    }
    return lines;
}

bool WaitForIdle(frmMain& window, int timeoutMs) {
    return QTest::qWaitFor(
        [&] { return !window.Timer().isActive() && window.DropBox()->isEnabled() && window.DropFiles()->Count() == 0; },
        timeoutMs);
}

} // namespace UiTest
