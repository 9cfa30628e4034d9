#include "app/telemetry/msac_analytics.h"

#include <time.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QSysInfo>
#include <QUuid>
#include <optional>

#include "base/system_log.h"

namespace {

// The time since the kernel started this process; empty when it cannot be read.
std::optional<qint64> millisecondsSinceProcessStart() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray line = stat.readAll();
    // The command name in parentheses may hold spaces and parentheses itself: the
    // fields are counted from the last ')'. starttime is field 22, the 20th after it.
    const qsizetype nameEnd = line.lastIndexOf(')');
    if (nameEnd < 0) return std::nullopt;
    const QList<QByteArray> fields = line.mid(nameEnd + 2).split(' ');
    bool ok = false;
    const qint64 startTicks = fields.value(19).toLongLong(&ok);
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    if (!ok || ticksPerSecond <= 0) return std::nullopt;
    // starttime counts from boot, suspended time included: CLOCK_BOOTTIME does too.
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const qint64 elapsed =
        qint64(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000 - startTicks * 1000 / ticksPerSecond;
    // A start after now would be a misreading, not a measurement.
    if (elapsed < 0) return std::nullopt;
    return elapsed;
}

}  // namespace

MSACAnalytics& MSACAnalytics::sharedInstance() {
    static MSACAnalytics analytics;
    return analytics;
}

QString MSACAnalytics::defaultStorePath() {
    return telemetryStateFolder() + QStringLiteral("/analytics.sqlite");
}

MSACAnalytics::MSACAnalytics(const QString& storePath, MSACIngestion& ingestion)
    : storePath_(storePath), ingestion_(ingestion) {}

MSACAnalytics::~MSACAnalytics() = default;

void MSACAnalytics::startWithAppSecret(const QString& appSecret) {
    if (started_) return;
    started_ = true;
    ingestion_.setAppSecret(appSecret);
    QDir().mkpath(QFileInfo(storePath_).path());
    store_ = std::make_unique<MSACLogDBStorage>(storePath_);
    if (!store_->isOpen()) {
        base::log(
            QStringLiteral("MSACAnalytics: cannot open %1 (%2); analytics are off for this run")
                .arg(storePath_, store_->openError()));
        store_.reset();
        return;
    }
    QJsonObject start{{QStringLiteral("appVersion"), QCoreApplication::applicationVersion()},
                      {QStringLiteral("osName"), QSysInfo::prettyProductName()}};
    if (const auto startup = millisecondsSinceProcessStart()) {
        start.insert(QStringLiteral("startupMilliseconds"), *startup);
    }
    record(kStartLog, start);
    sessionId_ = QUuid::createUuid().toString(QUuid::WithoutBraces);
    sessionTimer_.start();
    record(kSessionStartLog, {{QStringLiteral("sessionId"), sessionId_}});
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            &MSACAnalytics::endSession);
    sendPendingLogs();
}

void MSACAnalytics::record(const QString& type, const QJsonObject& payload) {
    store_->saveLog(type, QDateTime::currentMSecsSinceEpoch(), payload);
}

// Not sent now: the event loop is ending. The next start sends it.
void MSACAnalytics::endSession() {
    record(kSessionEndLog, {{QStringLiteral("sessionId"), sessionId_},
                            {QStringLiteral("durationMilliseconds"), sessionTimer_.elapsed()}});
}

void MSACAnalytics::sendPendingLogs() {
    if (!ingestion_.isEnabled() || sending_) return;
    const QList<MSACLogDBStorage::Log> batch = store_->logs(kBatchSize);
    if (batch.isEmpty()) return;
    QJsonArray logs;
    QList<qint64> ids;
    for (const MSACLogDBStorage::Log& log : batch) {
        logs.append(
            MSACIngestion::log(log.type, QDateTime::fromMSecsSinceEpoch(log.time), log.payload));
        ids.append(log.id);
    }
    sending_ = true;
    ingestion_.sendLogs(logs, this, [this, ids](bool delivered) {
        sending_ = false;
        // A failed batch waits for the next start rather than hammer the collector.
        if (delivered && store_->deleteLogs(ids)) sendPendingLogs();
    });
}
