#include "ui/clsInstanceChannel.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

// The first word of every request: a later version that speaks otherwise is refused, not misread.
constexpr quint32 kRequestTag = 0x46524C31; // "FRL1"
// Lists are paths: a request beyond this is no request of ours.
constexpr qint64 kLargestRequest = 16 * 1024 * 1024;
constexpr char kAccepted = 'A';
constexpr char kRefused = 'R';

} // namespace

clsInstanceChannel::clsInstanceChannel(QString name, QObject* parent) : QObject(parent), m_Name(std::move(name)) {}

clsInstanceChannel::~clsInstanceChannel() = default;

QString clsInstanceChannel::NameFor(const QString& settingsFile) {
    // The home folder too: two users with one shared portable copy each get a window of their own.
    const QByteArray key = (settingsFile + QLatin1Char('\n') + QDir::homePath()).toUtf8();
    const QString name =
        QStringLiteral("ferrule-") +
        QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16));
    // The runtime folder is the user's alone; elsewhere Qt puts a bare name into the shared temporary folder.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir()) {
        return QDir(runtime).filePath(name + QStringLiteral(".socket"));
    }
    return name;
}

std::optional<clsInstanceChannel::Answer> clsInstanceChannel::HandOver(const QStringList& lists, int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(m_Name);
    if (!socket.waitForConnected(timeoutMs)) {
        return std::nullopt;
    }
    QByteArray request;
    QDataStream out(&request, QIODevice::WriteOnly);
    out << kRequestTag << lists;
    socket.write(request);
    if (!socket.waitForBytesWritten(timeoutMs)) {
        return Answer::Refused;
    }
    // A window busy in a dialog answers when it is back; no answer at all counts as refused.
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(timeoutMs)) {
            return Answer::Refused;
        }
    }
    char answer = 0;
    socket.getChar(&answer);
    return answer == kAccepted ? Answer::Accepted : Answer::Refused;
}

std::optional<clsInstanceChannel::Answer> clsInstanceChannel::HandOverOrListen(const QStringList& lists) {
    if (std::optional<Answer> answer = HandOver(lists)) {
        return answer;
    }
    m_Server = new QLocalServer(this);
    m_Server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_Server, &QLocalServer::newConnection, this, &clsInstanceChannel::OnNewConnection);
    if (m_Server->listen(m_Name)) {
        return std::nullopt;
    }
    if (m_Server->serverError() == QAbstractSocket::AddressInUseError) {
        // Another start may have begun listening just now; otherwise the socket is a dead program's.
        if (std::optional<Answer> answer = HandOver(lists)) {
            return answer;
        }
        QLocalServer::removeServer(m_Name);
        if (m_Server->listen(m_Name)) {
            return std::nullopt;
        }
    }
    qWarning("ferrule: no hand-over socket (%s): %s", qUtf8Printable(m_Name), qUtf8Printable(m_Server->errorString()));
    return std::nullopt;
}

bool clsInstanceChannel::Listening() const {
    return m_Server != nullptr && m_Server->isListening();
}

void clsInstanceChannel::OnNewConnection() {
    while (QLocalSocket* socket = m_Server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        OnReadyRead(socket); // the request may have arrived with the connection
    }
}

void clsInstanceChannel::OnReadyRead(QLocalSocket* socket) {
    if (socket->property("answered").toBool()) {
        return;
    }
    if (socket->bytesAvailable() > kLargestRequest) {
        socket->abort();
        return;
    }
    QDataStream in(socket);
    in.startTransaction();
    quint32 tag = 0;
    QStringList lists;
    in >> tag;
    if (in.status() == QDataStream::Ok && tag != kRequestTag) {
        in.abortTransaction();
        socket->abort();
        return;
    }
    in >> lists;
    if (!in.commitTransaction()) {
        return; // the rest is still on its way
    }
    socket->setProperty("answered", true);
    const bool accepted = m_Receiver && m_Receiver(lists);
    socket->putChar(accepted ? kAccepted : kRefused);
    socket->flush();
    socket->disconnectFromServer();
}
