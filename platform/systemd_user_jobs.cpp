#include "platform/systemd_user_jobs.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QProcess>

namespace platform {
namespace {

const QString kSystemd = QStringLiteral("org.freedesktop.systemd1");
constexpr int kTimeoutMs = 2000;
// Enabling asks the manager to reload its units, which can take a while on a busy
// session; the user waits on the switch meanwhile.
constexpr int kSystemctlTimeoutMs = 30000;

struct UnitState {
    QString name;
    QString activeState;
    QDBusObjectPath path;
};

// ListUnits answers a(ssssssouso): name, description, load, active and sub state,
// followed unit, object path, job id, job type and job path.
QList<UnitState> listUnits(QDBusConnection& bus) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        kSystemd, QStringLiteral("/org/freedesktop/systemd1"),
        QStringLiteral("org.freedesktop.systemd1.Manager"), QStringLiteral("ListUnits"));
    const QDBusMessage reply = bus.call(call, QDBus::Block, kTimeoutMs);
    QList<UnitState> units;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return units;
    const QDBusArgument array = reply.arguments().first().value<QDBusArgument>();
    array.beginArray();
    while (!array.atEnd()) {
        UnitState unit;
        QString description, load, sub, following, jobType;
        uint jobId = 0;
        QDBusObjectPath jobPath;
        array.beginStructure();
        array >> unit.name >> description >> load >> unit.activeState >> sub >> following >>
            unit.path >> jobId >> jobType >> jobPath;
        array.endStructure();
        units.append(unit);
    }
    array.endArray();
    return units;
}

uint mainPid(QDBusConnection& bus, const QDBusObjectPath& path) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        kSystemd, path.path(), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    call << QStringLiteral("org.freedesktop.systemd1.Service") << QStringLiteral("MainPID");
    const QDBusMessage reply = bus.call(call, QDBus::Block, kTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return 0;
    return reply.arguments().first().value<QDBusVariant>().variant().toUInt();
}

Error systemctlError(const QString& description) {
    return Error{Error::Domain::Cocoa, Error::kFileWriteUnknown, description, {}};
}

}  // namespace

QList<QVariantMap> SystemdUserJobs::allJobDictionaries() const {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return {};
    QList<QVariantMap> jobs;
    const QString suffix = QStringLiteral(".service");
    for (const UnitState& unit : listUnits(bus)) {
        if (!unit.name.endsWith(suffix)) continue;
        QVariantMap job{{QStringLiteral("Label"), unit.name.chopped(suffix.size())}};
        if (unit.activeState == u"active") {
            if (const uint pid = mainPid(bus, unit.path)) job.insert(QStringLiteral("PID"), pid);
        }
        jobs.append(job);
    }
    return jobs;
}

SystemctlUserServices::SystemctlUserServices(QString systemctl)
    : systemctl_(std::move(systemctl)) {}

bool SystemctlUserServices::setEnabled(const QString& unit, bool enabled, Error* error) {
    QProcess process;
    // The unit comes from a file name anyone could have chosen: after "--" it can only
    // name a unit, never pass as an option.
    process.start(systemctl_, {QStringLiteral("--user"),
                               enabled ? QStringLiteral("enable") : QStringLiteral("disable"),
                               QStringLiteral("--"), unit});
    QString failure;
    if (!process.waitForStarted()) {
        failure = QStringLiteral("%1 could not be started.").arg(systemctl_);
    } else if (!process.waitForFinished(kSystemctlTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        failure = QStringLiteral("%1 did not finish.").arg(systemctl_);
    } else if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        failure = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        if (failure.isEmpty())
            failure =
                QStringLiteral("%1 failed with status %2.").arg(systemctl_).arg(process.exitCode());
    }
    if (failure.isNull()) return true;
    if (error) *error = systemctlError(failure);
    return false;
}

}  // namespace platform
