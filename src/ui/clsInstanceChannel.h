// One running window per settings file: a second start hands its lists to the first over a local
// socket and ends, so two processes never write one settings file over each other.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QLocalServer;
class QLocalSocket;

class clsInstanceChannel : public QObject {
    Q_OBJECT
public:
    /// Answer of the running window to a hand-over.
    enum class Answer { Accepted, Refused };

    /// `name` is the socket's full path or a bare name (NameFor makes one).
    explicit clsInstanceChannel(QString name, QObject* parent = nullptr);
    ~clsInstanceChannel() override;

    /// The socket name for the window that keeps its settings in `settingsFile`: the same file gives the
    /// same name, in the user's runtime folder where there is one.
    static QString NameFor(const QString& settingsFile);

    /// Hands `lists` to the window already running, waiting at most `timeoutMs` for its answer; nothing
    /// when no window listens.
    std::optional<Answer> HandOver(const QStringList& lists, int timeoutMs = 10000) const;

    /// Hands `lists` to a window already running and returns its answer; where none runs, starts
    /// listening for later starts instead (taking over a socket left by a program that ended without
    /// closing it) and returns nothing. A socket that cannot be made leaves this process on its own.
    std::optional<Answer> HandOverOrListen(const QStringList& lists);
    bool Listening() const;

    /// Whether a request is accepted, asked of the window for each hand-over; refuses when unset.
    void setReceiver(std::function<bool(const QStringList&)> receiver) { m_Receiver = std::move(receiver); }

    const QString& Name() const { return m_Name; }

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket* socket);

    QString m_Name;
    QLocalServer* m_Server = nullptr;
    std::function<bool(const QStringList&)> m_Receiver;
};
