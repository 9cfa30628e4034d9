#include "app/telemetry/msac_app_center.h"

#include <QDir>

#include "base/system_log.h"

QString formattedAppSecret(const QString& secret) {
    if (secret.size() == 32) {
        return QStringList{secret.mid(0, 8), secret.mid(8, 4), secret.mid(12, 4), secret.mid(16, 4),
                           secret.mid(20, 12)}
            .join(u'-');
    }
    if (secret.contains(u'-')) return secret;
    return {};
}

QString telemetryStateFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // XDG base directories: a relative value is to be ignored.
    if (!state.startsWith(u'/')) state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/sweepwell");
}

bool& MSACAppCenter::configured() {
    static bool started = false;
    return started;
}

void MSACAppCenter::start(const QString& appSecret, const QList<MSACService*>& services) {
    if (configured()) {
        base::log(QStringLiteral("MSACAppCenter: already started; this call starts nothing"));
        return;
    }
    if (appSecret.isEmpty()) {
        base::log(QStringLiteral("MSACAppCenter: no application secret; nothing started"));
        return;
    }
    configured() = true;
    for (MSACService* service : services)
        service->startWithAppSecret(appSecret);
}
