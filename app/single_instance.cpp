#include "app/single_instance.h"

#include <unistd.h>
#include <QCryptographicHash>
#include <QLocalSocket>

namespace {
constexpr char kActivate[] = "activate\n";
constexpr int kConnectTimeoutMs = 1000;
}  // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent), name_(name) {
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().startsWith(kActivate)) emit activationRequested();
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QString SingleInstance::nameForHome(const QString& home) {
    const QByteArray digest =
        QCryptographicHash::hash(home.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("sweepwell-%1-%2").arg(getuid()).arg(QString::fromLatin1(digest));
}

bool SingleInstance::activateRunningInstance() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    socket.write(kActivate);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen() {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (server_.listen(name_)) return true;
    // A socket left by an instance that crashed: nobody answered on it above.
    QLocalServer::removeServer(name_);
    return server_.listen(name_);
}
