#pragma once

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QUrl>
#include <functional>

class QNetworkAccessManager;

// Sends logs and crash reports to a collector, when someone configured one: its address
// is the environment variable SWEEPWELL_ANALYTICS_URL (http or https), read once. An
// environment variable rather than a setting, so that it is set on purpose for a run and
// never left behind in a settings file. Without it nothing leaves the machine and no
// network object is even created.
class MSACIngestion : public QObject {
    Q_OBJECT
public:
    static constexpr char kEndpointVariable[] = "SWEEPWELL_ANALYTICS_URL";

    // The uploader of both services, for the endpoint of the environment.
    static MSACIngestion& sharedInstance();
    // An empty QUrl when the variable is unset or not an http(s) address (said in the
    // system log).
    static QUrl endpointFromEnvironment();

    explicit MSACIngestion(const QUrl& endpoint);

    bool isEnabled() const { return !endpoint_.isEmpty(); }
    // Sent with every request in the header "App-Secret".
    void setAppSecret(const QString& appSecret) { appSecret_ = appSecret; }

    // One log as the collector receives it.
    static QJsonObject log(const QString& type, const QDateTime& time, const QJsonObject& payload);

    // POSTs `logs` as one JSON array in the zlib format with "Content-Encoding: deflate"
    // (what HTTP calls deflate is zlib-wrapped data, RFC 9110 8.4.1.2). `done` runs on
    // this object's thread with true for a 2xx answer, false for anything else, unless
    // `receiver` is gone by then. Does nothing while disabled.
    void sendLogs(const QJsonArray& logs, QObject* receiver, std::function<void(bool)> done);

private:
    QUrl endpoint_;
    QString appSecret_;
    QNetworkAccessManager* network_ = nullptr;
};
