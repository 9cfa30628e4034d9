#include "platform/linux_services.h"

#include <pwd.h>
#include <unistd.h>
#include <QFile>

#include "platform/file_path.h"

namespace platform {
namespace {

// mountinfo escapes blanks, tabs, newlines and backslashes as \ooo.
QByteArray unescapeMountField(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int value = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return out;
}

}  // namespace

QString LinuxHomeFolder::homeDirectory() const {
    const QByteArray env = qgetenv("HOME");
    if (env.startsWith('/')) return decodePath(env);
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
        return decodePath(pw->pw_dir, qsizetype(strlen(pw->pw_dir)));
    }
    return QStringLiteral("/");
}

QList<MountedVolume> LinuxVolumeList::parseMountInfo(const QByteArray& text) {
    QList<MountedVolume> volumes;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 5) continue;
        const QString mountPoint = decodePath(unescapeMountField(fields[4]));
        MountedVolume volume{mountPoint, std::nullopt};
        if (mountPoint != QStringLiteral("/")) volume.name = lastPathComponent(mountPoint);
        volumes.append(volume);
    }
    return volumes;
}

QList<MountedVolume> LinuxVolumeList::mountedVolumes() const {
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return parseMountInfo(file.readAll());
}

}  // namespace platform
