#include "platform/RaiseRequests.h"

#include "platform/TextCodec.h"

#include <QByteArray>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

namespace dk3::platform {
namespace {

constexpr const char* kSocketName = "VORLIX.raise";
constexpr char kRequest[] = "raise\n";
constexpr qint64 kRequestBytes = sizeof kRequest - 1;
// A connection that has not sent the request by then is closed; a handful may wait at once.
constexpr int kReadTimeoutMs = 2000;
constexpr int kMaxWaiting = 4;

} // namespace

RaiseRequestListener::RaiseRequestListener(const std::filesystem::path& folder, QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)), socketFile_(folder / kSocketName) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    server_->setMaxPendingConnections(kMaxWaiting);
    // A socket left by a killed copy would make listen fail; the lock says it is nobody's now.
    QLocalServer::removeServer(pathToQString(socketFile_));
    if (!server_->listen(pathToQString(socketFile_)))
        return;
    connect(server_, &QLocalServer::newConnection, this, &RaiseRequestListener::accept);
}

RaiseRequestListener::~RaiseRequestListener() = default; // the server removes its socket

bool RaiseRequestListener::listening() const {
    return server_->isListening();
}

std::filesystem::path RaiseRequestListener::socketFile() const {
    return socketFile_;
}

void RaiseRequestListener::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (findChildren<QLocalSocket*>().size() > kMaxWaiting) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(kReadTimeoutMs, socket, [socket] { socket->abort(); });
        read(socket); // what arrived with the connection
    }
}

void RaiseRequestListener::read(QLocalSocket* socket) {
    if (socket->bytesAvailable() < kRequestBytes)
        return;
    const QByteArray request = socket->read(kRequestBytes);
    // One request per connection, and only the exact word; the connection ends either way.
    const bool valid =
        request == QByteArray(kRequest, kRequestBytes) && socket->bytesAvailable() == 0;
    socket->abort();
    socket->deleteLater();
    if (valid)
        Q_EMIT raiseRequested();
}

bool requestRaise(const std::filesystem::path& folder, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(pathToQString(folder / kSocketName), QIODevice::WriteOnly);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kRequest, kRequestBytes);
    const bool sent = socket.waitForBytesWritten(timeoutMs) || socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return sent;
}

} // namespace dk3::platform
