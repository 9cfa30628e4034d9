#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>

#include "tests/support/fixture_home.h"

// Builders of the Linux places of a home for the trash, partial download, screenshot and
// installer categories. Paths are relative to the home unless they begin with "/".
namespace linux_home {

// The home's own freedesktop trash (the default of $XDG_DATA_HOME/Trash).
inline const QString kHomeTrash = QStringLiteral(".local/share/Trash");

struct TrashedEntry {
    QString path;  // files/<stored name>
    QString info;  // info/<stored name>.trashinfo
};

// What a file manager writes for an entry: the original path percent-encoded, the date in
// local time without a zone.
QByteArray trashInfoContent(const QString& originalPath, const QDateTime& deleted);

// Throws away a file of `size` bytes into the trash folder `trash` as a file manager does:
// files/<stored> and info/<stored>.trashinfo naming `originalPath`.
TrashedEntry trashFile(FixtureHome& home, const QString& trash, const QString& stored,
                       const QString& originalPath, quint64 size,
                       const QDateTime& deleted = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)));
// The same for a folder holding one file of `size` bytes, noted in the trash's
// "directorysizes" cache.
TrashedEntry trashFolder(FixtureHome& home, const QString& trash, const QString& stored,
                         const QString& originalPath, quint64 size);

// $XDG_CONFIG_HOME/user-dirs.dirs (the default one, ~/.config) setting each key
// ("PICTURES") to the folder below the home, as xdg-user-dirs writes it.
void userDirectories(FixtureHome& home, const QList<QPair<QString, QString>>& folders);

// A file last changed `seconds` ago.
QString fileChangedAgo(FixtureHome& home, const QString& relative, quint64 size, qint64 seconds);

// The mount point of a volume outside the home, below the fixture's temporary folder.
QString volume(FixtureHome& home, const QString& name);

}  // namespace linux_home
