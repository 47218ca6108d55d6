// How far a running check has come, as the window shows it: the bar over the drop box, a share in the
// caption, and the drop box's tooltip with the list, the file, speed and time left. Polled from the run.
#pragma once

#include "verify/CheckProgress.h"
#include "verify/clsProgressMeter.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>

class QWidget;
class clsProgressOverlay;

class clsRunProgress : public QObject {
    Q_OBJECT
public:
    /// Shows the progress of `source` on `overlay`, in `window`'s caption after `caption`, and in
    /// `dropBox`'s tooltip, whose idle text comes back at Stop.
    clsRunProgress(clsProgressOverlay* overlay, QWidget* window, QWidget* dropBox, QString caption,
                   std::function<CheckProgress()> source, QObject* parent = nullptr);

    /// A run has started: the bar appears, without a share until the first list is planned.
    void Start();
    /// The run has ended: bar, caption and tooltip are as before Start.
    void Stop();

private:
    void Show();

    clsProgressOverlay* m_Overlay;
    QWidget* m_Window;
    QWidget* m_DropBox;
    QString m_Caption;
    std::function<CheckProgress()> m_Source;
    QTimer m_Timer;
    QElapsedTimer m_Clock;
    clsProgressMeter m_Meter;
    std::int32_t m_List = 0;
    QString m_IdleToolTip;
};
