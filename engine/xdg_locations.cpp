#include "engine/xdg_locations.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include "platform/file_path.h"

namespace xdg {

namespace {

QString fromEnvironment(const QProcessEnvironment& environment, const char* name,
                        const QString& fallback, bool ownHome) {
    const QString value = environment.value(QLatin1String(name));
    if (!ownHome || value.isEmpty() || !QDir::isAbsolutePath(value)) return fallback;
    return QDir::cleanPath(value);
}

const QHash<QString, QString>& englishNames() {
    static const QHash<QString, QString> names = {
        {"DESKTOP", "Desktop"},     {"DOCUMENTS", "Documents"}, {"DOWNLOAD", "Downloads"},
        {"MUSIC", "Music"},         {"PICTURES", "Pictures"},   {"PUBLICSHARE", "Public"},
        {"TEMPLATES", "Templates"}, {"VIDEOS", "Videos"}};
    return names;
}

// The value between the quotes, with the shell escapes of the format undone.
QString unquoted(QStringView value) {
    if (value.size() < 2 || !value.startsWith(u'"') || !value.endsWith(u'"')) return {};
    QString text;
    const QStringView inner = value.mid(1, value.size() - 2);
    for (qsizetype i = 0; i < inner.size(); ++i) {
        if (inner[i] == u'\\' && i + 1 < inner.size()) ++i;
        text += inner[i];
    }
    return text;
}

}  // namespace

BaseDirectories baseDirectoriesForHome(const QString& home, const QProcessEnvironment& environment,
                                       const QString& processHome) {
    const QString own = processHome.isNull() ? QDir::homePath() : processHome;
    const bool ownHome = QDir::cleanPath(own) == QDir::cleanPath(home);
    const auto in = [&](const char* relative) {
        return platform::appendPathComponent(home, QLatin1String(relative));
    };
    return {fromEnvironment(environment, "XDG_CACHE_HOME", in(".cache"), ownHome),
            fromEnvironment(environment, "XDG_CONFIG_HOME", in(".config"), ownHome),
            fromEnvironment(environment, "XDG_DATA_HOME", in(".local/share"), ownHome),
            fromEnvironment(environment, "XDG_STATE_HOME", in(".local/state"), ownHome)};
}

QString userDirectoryFromLine(const QString& line, const QString& key, const QString& home) {
    const QString prefix = QStringLiteral("XDG_%1_DIR=").arg(key);
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(prefix)) return {};
    const QString value = unquoted(QStringView(trimmed).mid(prefix.size()));
    if (value.startsWith(QLatin1String("$HOME/")) || value == QLatin1String("$HOME")) {
        return QDir::cleanPath(home + value.mid(5));
    }
    if (value.startsWith(u'/')) return QDir::cleanPath(value);
    return {};
}

QString userDirectory(const QString& home, const QString& configHome, const QString& key) {
    QString folder;
    QFile file(platform::appendPathComponent(configHome, QStringLiteral("user-dirs.dirs")));
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QString found = userDirectoryFromLine(QString::fromUtf8(line), key, home);
            if (!found.isNull()) folder = found;
        }
    }
    if (folder.isNull()) {
        const QString english = englishNames().value(key);
        if (english.isNull()) return {};
        folder = platform::appendPathComponent(home, english);
    }
    return QDir::cleanPath(folder) == QDir::cleanPath(home) ? QString() : folder;
}

}  // namespace xdg
