#include "tests/support/private_home.h"

#include <QDir>
#include <QFile>

void usePrivateHome(const QString& root) {
    const auto point = [&](const char* variable, const QString& relative) {
        const QString folder = root + u'/' + relative;
        QDir().mkpath(folder);
        qputenv(variable, QFile::encodeName(folder));
    };
    point("HOME", QStringLiteral("home"));
    point("XDG_CONFIG_HOME", QStringLiteral("home/.config"));
    point("XDG_CACHE_HOME", QStringLiteral("home/.cache"));
    point("XDG_DATA_HOME", QStringLiteral("home/.local/share"));
    point("XDG_STATE_HOME", QStringLiteral("home/.local/state"));
}
