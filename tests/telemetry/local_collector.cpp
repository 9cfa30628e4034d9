#include "tests/telemetry/local_collector.h"

#include <zlib.h>
#include <QJsonDocument>
#include <QTcpSocket>
#include <QTest>

namespace {

QByteArray inflated(const QByteArray& compressed) {
    for (uLongf capacity = uLongf(compressed.size()) * 8 + 1024;; capacity *= 4) {
        QByteArray data(qsizetype(capacity), Qt::Uninitialized);
        uLongf size = capacity;
        const int result = uncompress(reinterpret_cast<Bytef*>(data.data()), &size,
                                      reinterpret_cast<const Bytef*>(compressed.constData()),
                                      uLong(compressed.size()));
        if (result == Z_BUF_ERROR && capacity < (1u << 28)) continue;
        if (result != Z_OK) return {};
        data.resize(qsizetype(size));
        return data;
    }
}

}  // namespace

QJsonArray LocalCollector::Request::logs() const {
    return QJsonDocument::fromJson(inflated(body)).array();
}

LocalCollector::LocalCollector(int status) : status_(status) {
    server_.listen(QHostAddress::LocalHost);
    connect(&server_, &QTcpServer::newConnection, this, &LocalCollector::accept);
}

QUrl LocalCollector::url() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/logs").arg(server_.serverPort()));
}

void LocalCollector::accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this, socket] { received_.remove(socket); });
    }
}

void LocalCollector::read(QTcpSocket* socket) {
    QByteArray& data = received_[socket];
    data += socket->readAll();
    const qsizetype headerEnd = data.indexOf("\r\n\r\n");
    if (headerEnd < 0) return;
    Request request;
    const QList<QByteArray> lines = data.left(headerEnd).split('\n');
    request.method = lines.value(0).split(' ').value(0);
    for (const QByteArray& line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            request.headers.insert(line.left(colon).trimmed().toLower(),
                                   line.mid(colon + 1).trimmed());
    }
    const qsizetype length = request.headers.value("content-length").toLongLong();
    if (data.size() < headerEnd + 4 + length) return;
    request.body = data.mid(headerEnd + 4, length);
    data.clear();
    requests_.append(request);
    socket->write(QByteArrayLiteral("HTTP/1.1 ") + QByteArray::number(status_) +
                  " Answer\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    socket->flush();
    socket->disconnectFromHost();
}

bool eventually(const std::function<bool()>& done) {
    return QTest::qWaitFor(done, 10'000);
}
