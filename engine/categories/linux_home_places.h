#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "engine/scan_model.h"

// Where the applications of a Linux desktop keep their caches and logs. The categories
// share these names so that each folder is listed by one category only.
namespace linux_home {

// A home as an application sees it: the user's own, or the one Flatpak
// (~/.var/app/<id>) or Snap (~/snap/<name>/common) gives a sandboxed application.
struct ApplicationHome {
    QString name;  // null for the user's own home, else the application's id or snap name
    QString root;
    QString cacheHome;
    QString configHome;
};

// The user's own home first, then every sandbox home that is a real folder (a link
// there could lead anywhere).
QList<ApplicationHome> applicationHomes();
QList<ApplicationHome> sandboxHomes();

// The first components, inside a cache home, of what the browser and mail categories
// list; other categories leave them to those.
const QStringList& browserCacheFolderNames();
const QStringList& mailCacheFolderNames();

// Whether a symbolic link (dangling or not) is at the path: the way Firefox and the
// Chromium browsers mark a profile that a running browser holds.
bool isLockLink(const QString& path);

// The device of the folder as the scan opens it (an anchored folder that is a link the
// user made counts as the folder it leads to); nothing when it cannot be opened.
std::optional<quint64> folderDevice(const QString& path);
// Whether both folders lie on the same mounted file system; false when either cannot be
// opened.
bool onSameDevice(const QString& folder, const QString& other);

// "a/b" for the path "<home>/a/b"; the path itself when it is not inside the home.
QString pathRelativeToHome(const QString& path);

// The existing folders among the given ones, in order.
QStringList existingFolders(const QStringList& folders);

// The entry `build` makes of the item at the path with its dates, shown under `name` and
// carrying what the item is now; null when nothing is there.
using EntryBuilder = std::function<QSScannedFilePtr(const QString&, const QVariantMap&)>;
QSScannedFilePtr namedEntry(const QString& path, const QString& name, const EntryBuilder& build);

}  // namespace linux_home
