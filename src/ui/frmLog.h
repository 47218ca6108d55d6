// The separate log window: a sizable window owned by the main window, holding one more view of the log.
#pragma once

#include <QDialog>
#include <QTimer>

#include <optional>

class clsLogModel;
class clsLogPane;

class frmLog : public QDialog {
    Q_OBJECT
public:
    /// Close requests of the user (close box, Alt+F4, system menu).
    static constexpr int UnloadByUser = 0;
    /// Close requests of the program (its owner shutting down).
    static constexpr int UnloadByProgram = 1;

    frmLog(clsLogModel* model, QWidget* owner);

    clsLogPane* LogPane() const { return m_picLogBox; }

    /// The load handler: lays the window out for its current size.
    void Form_Load();
    /// The resize handler: an 8-pixel margin around the log view; sizes too small for it keep the last
    /// layout that fitted.
    void Form_Resize();

    /// Closes the window as the program, which the owner does not turn into hiding.
    void CloseByProgram();

    /// Place and outer size (frame included) in pixels.
    QRect OuterGeometry() const;
    void setOuterGeometry(const QRect& outer);
    /// The frame to assume until this window has been framed on screen.
    void setOwnerFrame(const QMargins& frame);

signals:
    /// Every close request; a handler that sets *cancel keeps the window open.
    void QueryUnload(bool* cancel, int unloadMode);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    std::optional<QMargins> MeasuredFrame() const;
    QMargins Frame() const;
    void ApplyPendingOuterGeometry();
    void WaitForFrame();

    clsLogPane* m_picLogBox = nullptr;
    int m_UnloadMode = UnloadByUser;
    // An outer place and size asked for before the window manager told us the frame size; applied
    // again once it is known.
    QRect m_PendingOuter;
    QTimer m_FrameWait;
    int m_FrameWaitTicks = 0;
    mutable QMargins m_KnownFrame;
};
