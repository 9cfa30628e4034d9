#include "platform/systemd_user_jobs.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace platform {
namespace {

const QString kSystemd = QStringLiteral("org.freedesktop.systemd1");
constexpr int kTimeoutMs = 2000;

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

}  // namespace platform
