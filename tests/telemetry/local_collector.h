#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonArray>
#include <QList>
#include <QTcpServer>
#include <QUrl>

// An HTTP server on 127.0.0.1 that takes every request whole, keeps it, and answers each
// with the status it is given: a collector of logs under the test's control.
class LocalCollector : public QObject {
    Q_OBJECT
public:
    struct Request {
        QByteArray method;
        QHash<QByteArray, QByteArray> headers;  // names in lower case
        QByteArray body;
        // The body inflated as the zlib format and read as a JSON array; empty when it
        // is not one.
        QJsonArray logs() const;
    };

    explicit LocalCollector(int status = 200);
    QUrl url() const;
    void setStatus(int status) { status_ = status; }
    const QList<Request>& requests() const { return requests_; }

private:
    void accept();
    void read(QTcpSocket* socket);

    QTcpServer server_;
    int status_;
    QHash<QTcpSocket*, QByteArray> received_;
    QList<Request> requests_;
};

// Runs the event loop until `done` holds, for at most ten seconds; its last answer.
bool eventually(const std::function<bool()>& done);
