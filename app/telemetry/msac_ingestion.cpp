#include "app/telemetry/msac_ingestion.h"

#include <zlib.h>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "base/system_log.h"

namespace {

// A slow collector must not keep a request, and its rows, in flight for the whole run.
constexpr int kTransferTimeoutMilliseconds = 30'000;

// qCompress puts a length of its own in front of the zlib stream, which a collector
// would not understand: compress2 writes the bare zlib format.
QByteArray zlibCompressed(const QByteArray& data) {
    uLongf size = compressBound(uLong(data.size()));
    QByteArray compressed(qsizetype(size), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef*>(compressed.data()), &size,
                  reinterpret_cast<const Bytef*>(data.constData()), uLong(data.size()),
                  Z_BEST_COMPRESSION) != Z_OK) {
        return {};
    }
    compressed.resize(qsizetype(size));
    return compressed;
}

}  // namespace

MSACIngestion& MSACIngestion::sharedInstance() {
    static MSACIngestion ingestion(endpointFromEnvironment());
    return ingestion;
}

QUrl MSACIngestion::endpointFromEnvironment() {
    const QString value = qEnvironmentVariable(kEndpointVariable);
    if (value.isEmpty()) return {};
    const QUrl url(value, QUrl::StrictMode);
    if (url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") &&
        !url.host().isEmpty()) {
        return url;
    }
    base::log(QStringLiteral("MSACIngestion: %1 is not an http(s) address; nothing is sent")
                  .arg(QLatin1String(kEndpointVariable)));
    return {};
}

MSACIngestion::MSACIngestion(const QUrl& endpoint) : endpoint_(endpoint) {}

QJsonObject MSACIngestion::log(const QString& type, const QDateTime& time,
                               const QJsonObject& payload) {
    return {{QStringLiteral("type"), type},
            {QStringLiteral("timestamp"), time.toUTC().toString(Qt::ISODateWithMs)},
            {QStringLiteral("payload"), payload}};
}

void MSACIngestion::sendLogs(const QJsonArray& logs, QObject* receiver,
                             std::function<void(bool)> done) {
    if (!isEnabled()) return;
    if (!network_) network_ = new QNetworkAccessManager(this);
    QNetworkRequest request(endpoint_);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setRawHeader(QByteArrayLiteral("Content-Encoding"), QByteArrayLiteral("deflate"));
    request.setRawHeader(QByteArrayLiteral("App-Secret"), appSecret_.toUtf8());
    request.setTransferTimeout(kTransferTimeoutMilliseconds);
    QNetworkReply* reply =
        network_->post(request, zlibCompressed(QJsonDocument(logs).toJson(QJsonDocument::Compact)));
    connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    connect(reply, &QNetworkReply::finished, receiver, [reply, done = std::move(done)] {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const bool delivered = status >= 200 && status < 300;
        if (!delivered) {
            base::log(QStringLiteral("MSACIngestion: upload failed (HTTP %1: %2); kept for later")
                          .arg(status)
                          .arg(reply->errorString()));
        }
        done(delivered);
    });
}
