#include "tests/support/linux_home_trash.h"

#include <QDir>

#include "platform/file_path.h"

namespace linux_home {
namespace {

// A place below the trash, relative to the home even when the trash lies outside it (the
// builders of FixtureHome take relative paths).
QString under(const FixtureHome& home, const QString& trash, const QString& relative) {
    const QString path = platform::appendPathComponent(trash, relative);
    return path.startsWith(u'/') ? QDir(home.path()).relativeFilePath(path) : path;
}

}  // namespace

QByteArray trashInfoContent(const QString& originalPath, const QDateTime& deleted) {
    return "[Trash Info]\nPath=" + platform::encodePath(originalPath).toPercentEncoding("/") +
           "\nDeletionDate=" + deleted.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1() +
           "\n";
}

TrashedEntry trashFile(FixtureHome& home, const QString& trash, const QString& stored,
                       const QString& originalPath, quint64 size, const QDateTime& deleted) {
    const QString info = QStringLiteral("info/") + stored + QStringLiteral(".trashinfo");
    return {platform::standardizePath(
                home.file(under(home, trash, QStringLiteral("files/") + stored), size)),
            platform::standardizePath(
                home.write(under(home, trash, info), trashInfoContent(originalPath, deleted)))};
}

TrashedEntry trashFolder(FixtureHome& home, const QString& trash, const QString& stored,
                         const QString& originalPath, quint64 size) {
    const QString folder = QStringLiteral("files/") + stored;
    home.file(under(home, trash, folder + QStringLiteral("/inner.bin")), size);
    const QString sizes = under(home, trash, QStringLiteral("directorysizes"));
    const QByteArray line = QByteArray::number(size) + " 1700000000 " +
                            platform::encodePath(stored).toPercentEncoding() + "\n";
    home.write(sizes, (exists(home.abs(sizes)) ? readAll(home.abs(sizes)) : QByteArray()) + line);
    const QString info = QStringLiteral("info/") + stored + QStringLiteral(".trashinfo");
    return {platform::standardizePath(home.abs(under(home, trash, folder))),
            platform::standardizePath(home.write(
                under(home, trash, info),
                trashInfoContent(originalPath, QDateTime(QDate(2026, 1, 2), QTime(3, 4)))))};
}

void userDirectories(FixtureHome& home, const QList<QPair<QString, QString>>& folders) {
    QByteArray content = "# written by xdg-user-dirs-update\n";
    for (const auto& [key, folder] : folders)
        content += "XDG_" + key.toUtf8() + "_DIR=\"$HOME/" + folder.toUtf8() + "\"\n";
    home.write(QStringLiteral(".config/user-dirs.dirs"), content);
}

QString fileChangedAgo(FixtureHome& home, const QString& relative, quint64 size, qint64 seconds) {
    return home.file(relative, size, QDateTime::currentDateTime().addSecs(-seconds));
}

QString volume(FixtureHome& home, const QString& name) {
    return platform::standardizePath(home.folder(
        QDir(home.path()).relativeFilePath(home.root() + QStringLiteral("/media/") + name)));
}

}  // namespace linux_home
