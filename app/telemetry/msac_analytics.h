#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <memory>

#include "app/telemetry/msac_app_center.h"
#include "app/telemetry/msac_ingestion.h"
#include "app/telemetry/msac_log_db_storage.h"

// Usage analytics: records by itself that the application started (and how long the
// start took), and each session, from start to quit. Logs wait in a SQLite store
// ($XDG_STATE_HOME/sweepwell/analytics.sqlite) until MSACIngestion has a collector to
// take them, in batches; a batch leaves the store only once the collector accepted it.
// A store that cannot be opened turns analytics off for the run. Lives on the main
// thread.
class MSACAnalytics : public QObject, public MSACService {
    Q_OBJECT
public:
    static constexpr char kStartLog[] = "start";
    static constexpr char kSessionStartLog[] = "sessionStart";
    static constexpr char kSessionEndLog[] = "sessionEnd";
    static constexpr int kBatchSize = 50;

    static MSACAnalytics& sharedInstance();
    static QString defaultStorePath();

    explicit MSACAnalytics(const QString& storePath = defaultStorePath(),
                           MSACIngestion& ingestion = MSACIngestion::sharedInstance());
    ~MSACAnalytics() override;

    // Records the start and the beginning of a session, ends the session when the
    // application quits, and sends what is pending.
    void startWithAppSecret(const QString& appSecret) override;
    bool isEnabled() const { return store_ != nullptr; }

private:
    void record(const QString& type, const QJsonObject& payload);
    void endSession();
    void sendPendingLogs();

    QString storePath_;
    MSACIngestion& ingestion_;
    std::unique_ptr<MSACLogDBStorage> store_;
    QString sessionId_;
    QElapsedTimer sessionTimer_;
    bool started_ = false;
    bool sending_ = false;
};
