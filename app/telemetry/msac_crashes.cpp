#include "app/telemetry/msac_crashes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>

#include "app/telemetry/msac_crash_handler.h"
#include "app/telemetry/msac_user_defaults.h"
#include "base/system_log.h"

namespace {

// A report waiting for the user's decision.
const QString kPendingSuffix = QStringLiteral(".crash");
// A report the user let go whose upload has not been answered with success yet.
const QString kSendingSuffix = QStringLiteral(".sending");

// A report is a few KiB; anything longer is not one of ours and is not read whole.
constexpr qint64 kMaxReportBytes = 1024 * 1024;

std::optional<CrashReport> readReport(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray text = file.read(kMaxReportBytes);
    CrashReport report;
    report.incidentIdentifier = QFileInfo(path).completeBaseName();
    report.text = QString::fromUtf8(text);
    for (const QByteArray& line : text.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0) continue;
        const QByteArray field = line.left(colon);
        if (field == crash_report_field::kBacktrace) break;
        const QString value = QString::fromUtf8(line.mid(colon + 1)).trimmed();
        if (field == crash_report_field::kSignal) {
            // "11 SIGSEGV" or "terminate": the name is the last word.
            report.signal = value.section(u' ', -1);
        } else if (field == crash_report_field::kException) {
            report.exceptionReason = value;
        } else if (field == crash_report_field::kTime) {
            report.appErrorTime = QDateTime::fromSecsSinceEpoch(value.toLongLong());
        } else if (field == crash_report_field::kVersion) {
            report.appVersion = value;
        }
    }
    return report;
}

QJsonObject crashLog(const CrashReport& report) {
    return MSACIngestion::log(QStringLiteral("crash"), report.appErrorTime,
                              {{QStringLiteral("incidentIdentifier"), report.incidentIdentifier},
                               {QStringLiteral("signal"), report.signal},
                               {QStringLiteral("exceptionReason"), report.exceptionReason},
                               {QStringLiteral("appVersion"), report.appVersion},
                               {QStringLiteral("report"), report.text}});
}

}  // namespace

MSACCrashes& MSACCrashes::sharedInstance() {
    static MSACCrashes crashes;
    return crashes;
}

QString MSACCrashes::defaultFolder() {
    return telemetryStateFolder() + QStringLiteral("/crashes");
}

MSACCrashes::MSACCrashes(const QString& folder, MSACIngestion& ingestion)
    : folder_(folder), ingestion_(ingestion) {}

void MSACCrashes::startWithAppSecret(const QString& appSecret) {
    if (started_) return;
    started_ = true;
    ingestion_.setAppSecret(appSecret);
    // The folder is made now: a signal handler cannot create folders, and the report's
    // path is fixed now for the handler to find it in a buffer of its own.
    if (!QDir().mkpath(folder_)) {
        base::log(
            QStringLiteral("MSACCrashes: cannot create %1; crashes are not reported").arg(folder_));
        return;
    }
    // One pass over the pattern, so that a "%" in the folder's name stays as it is.
    const QString path =
        QStringLiteral("%1/%2-%3%4")
            .arg(folder_, QString::number(QDateTime::currentSecsSinceEpoch()),
                 QString::number(QCoreApplication::applicationPid()), kPendingSuffix);
    if (!installCrashHandlers(QFile::encodeName(path),
                              QCoreApplication::applicationVersion().toUtf8())) {
        base::log(QStringLiteral("MSACCrashes: the path %1 is too long; crashes are not reported")
                      .arg(path));
    }
    QMetaObject::invokeMethod(this, &MSACCrashes::processPendingReports, Qt::QueuedConnection);
}

bool MSACCrashes::hasPendingReports() const {
    return !reports(kPendingSuffix).isEmpty();
}

void MSACCrashes::setUserConfirmationHandler(UserConfirmationHandler handler) {
    userConfirmationHandler_ = std::move(handler);
}

void MSACCrashes::notifyWithUserConfirmation(int userConfirmation) {
    if (awaitingConfirmation_.isEmpty()) {
        base::log(QStringLiteral("MSACCrashes: no crash report awaits a decision"));
        return;
    }
    switch (userConfirmation) {
        case DontSend:
            for (const CrashReport& report : std::as_const(awaitingConfirmation_)) {
                QFile::remove(reportPath(report, kPendingSuffix));
            }
            break;
        case Always:
            MSACUserDefaults::standardUserDefaults().setAlwaysSendCrashReports(true);
            [[fallthrough]];
        case Send:
            for (const CrashReport& report : std::as_const(awaitingConfirmation_))
                send(report);
            break;
        default:
            base::log(QStringLiteral("MSACCrashes: unknown decision %1 on crash reports")
                          .arg(userConfirmation));
            return;
    }
    awaitingConfirmation_.clear();
}

void MSACCrashes::processPendingReports() {
    for (const CrashReport& report : reports(kSendingSuffix))
        upload(report);
    const QList<CrashReport> pending = reports(kPendingSuffix);
    if (pending.isEmpty()) return;
    if (!MSACUserDefaults::standardUserDefaults().alwaysSendCrashReports() &&
        userConfirmationHandler_ && userConfirmationHandler_(pending)) {
        awaitingConfirmation_ = pending;
        return;
    }
    for (const CrashReport& report : pending)
        send(report);
}

QList<CrashReport> MSACCrashes::reports(const QString& suffix) const {
    QList<CrashReport> found;
    // Names begin with the time of the run, so this is the order of the crashes.
    const QStringList names = QDir(folder_).entryList({u'*' + suffix}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        if (auto report = readReport(folder_ + u'/' + name)) found.append(*report);
    }
    return found;
}

QString MSACCrashes::reportPath(const CrashReport& report, const QString& suffix) const {
    return folder_ + u'/' + report.incidentIdentifier + suffix;
}

void MSACCrashes::send(const CrashReport& report) {
    const QString pending = reportPath(report, kPendingSuffix);
    if (!ingestion_.isEnabled()) {
        discard(report, kPendingSuffix);
        return;
    }
    // Out of the waiting set before the upload, so the user is not asked again about a
    // report whose upload fails: it is retried at the next start.
    if (!QFile::rename(pending, reportPath(report, kSendingSuffix))) {
        base::log(
            QStringLiteral("MSACCrashes: cannot move %1 out of the waiting reports").arg(pending));
        return;
    }
    upload(report);
}

void MSACCrashes::upload(const CrashReport& report) {
    if (!ingestion_.isEnabled()) {
        discard(report, kSendingSuffix);
        return;
    }
    const QString sending = reportPath(report, kSendingSuffix);
    ingestion_.sendLogs({crashLog(report)}, this, [sending](bool delivered) {
        if (delivered) QFile::remove(sending);
    });
}

void MSACCrashes::discard(const CrashReport& report, const QString& suffix) {
    QFile::remove(reportPath(report, suffix));
    base::log(QStringLiteral("MSACCrashes: no collector is configured; crash report %1 discarded")
                  .arg(report.incidentIdentifier));
}
