#include "ui/clsRunProgress.h"

#include "ui/clsProgressOverlay.h"

#include <QWidget>

#include <optional>
#include <utility>

namespace {

constexpr int kIntervalMs = 200;

} // namespace

clsRunProgress::clsRunProgress(clsProgressOverlay* overlay, QWidget* window, QWidget* dropBox, QString caption,
                               std::function<CheckProgress()> source, QObject* parent)
    : QObject(parent), m_Overlay(overlay), m_Window(window), m_DropBox(dropBox), m_Caption(std::move(caption)),
      m_Source(std::move(source)) {
    m_Timer.setInterval(kIntervalMs);
    connect(&m_Timer, &QTimer::timeout, this, &clsRunProgress::Show);
}

void clsRunProgress::Start() {
    m_IdleToolTip = m_DropBox->toolTip();
    m_Meter.Reset();
    m_List = 0;
    m_Clock.start();
    m_Overlay->setPercent(-1);
    m_Overlay->show();
    m_Timer.start();
}

void clsRunProgress::Show() {
    const CheckProgress progress = m_Source();
    if (progress.listNumber != m_List) {
        m_List = progress.listNumber;
        m_Meter.Reset();
    }
    m_Meter.Sample(static_cast<double>(m_Clock.elapsed()) / 1000.0, progress.listBytesDone, progress.listBytes);
    const int percent = progress.listNumber == 0 ? -1 : m_Meter.Percent();
    m_Overlay->setPercent(percent);
    m_Window->setWindowTitle(percent < 0 ? m_Caption : QString::number(percent) + QStringLiteral("% - ") + m_Caption);

    QString tip = QStringLiteral("チェック中 (リスト %1 / %2)").arg(progress.listNumber).arg(progress.listCount);
    if (!progress.currentFile.empty()) {
        tip += QStringLiteral("\n") + QString::fromStdString(progress.currentFile);
    }
    if (percent >= 0) {
        tip += QStringLiteral("\n%1% (%2 / %3)")
                   .arg(percent)
                   .arg(QString::fromStdString(FormatBytes(static_cast<double>(progress.listBytesDone))),
                        QString::fromStdString(FormatBytes(static_cast<double>(progress.listBytes))));
    }
    if (m_Meter.BytesPerSecond() > 0.0) {
        tip += QStringLiteral("\n") + QString::fromStdString(FormatBytes(m_Meter.BytesPerSecond())) +
               QStringLiteral("/秒");
        if (const std::optional<double> left = m_Meter.SecondsLeft()) {
            tip += QStringLiteral("  残り ") + QString::fromStdString(FormatDuration(*left));
        }
    }
    tip += QStringLiteral("\n右クリックまたは Esc キーで中止できます。");
    m_DropBox->setToolTip(tip);
}

void clsRunProgress::Stop() {
    m_Timer.stop();
    m_Overlay->hide();
    m_DropBox->setToolTip(m_IdleToolTip);
    m_Window->setWindowTitle(m_Caption);
}
