#pragma once

#include <QProcessEnvironment>
#include <QString>

// The folders a Linux desktop keeps things in, for the home folder being scanned: the
// XDG base folders (cache, config, data, state) and the user's own folders of
// xdg-user-dirs (often translated: "Téléchargements").
namespace xdg {

struct BaseDirectories {
    QString cacheHome;   // $XDG_CACHE_HOME, else ~/.cache
    QString configHome;  // $XDG_CONFIG_HOME, else ~/.config
    QString dataHome;    // $XDG_DATA_HOME, else ~/.local/share
    QString stateHome;   // $XDG_STATE_HOME, else ~/.local/state
};

// The user's variables count only for the process's own home and only when they hold an
// absolute path (XDG tools ignore relative ones); another home (a disk of another
// machine) uses the defaults inside it.
BaseDirectories baseDirectoriesForHome(
    const QString& home,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
    const QString& processHome = QString());

// The user folder named `key` ("DOWNLOAD", "PICTURES", "VIDEOS", "DESKTOP", "DOCUMENTS",
// ...) as `configHome`/user-dirs.dirs sets it, else its English default ("Downloads").
// A folder set to the home itself is switched off: null, so that nothing ever takes the
// whole home for a user folder.
QString userDirectory(const QString& home, const QString& configHome, const QString& key);

// The value of one user-dirs.dirs line for `key` ("$HOME/Downloads" with the home put in,
// or an absolute path), unquoted and unescaped; null when the line is not for the key or
// its value is not one the format allows.
QString userDirectoryFromLine(const QString& line, const QString& key, const QString& home);

}  // namespace xdg
