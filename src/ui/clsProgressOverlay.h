// The progress of a check, drawn over the bottom of the busy drop box: a bar and the share done.
#pragma once

#include <QWidget>

class clsProgressOverlay : public QWidget {
    Q_OBJECT
public:
    explicit clsProgressOverlay(QWidget* parent);

    int Percent() const { return m_Percent; }
    /// Shows `percent` (0 to 100); a negative value shows a bar with no share yet.
    void setPercent(int percent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_Percent = -1;
};
