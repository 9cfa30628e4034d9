#include "tools/removal-helper/path_rules.h"

namespace {

const char* const kDefaultUserFolders[] = {"Desktop",  "Documents", "Downloads", "Music",
                                           "Pictures", "Public",    "Templates", "Videos"};

bool isInside(const QByteArray& path, const QByteArray& folder) {
    return path.size() > folder.size() && path.startsWith(folder) && path[folder.size()] == '/';
}

// The value of one line `XDG_NAME_DIR="$HOME/..."` or `XDG_NAME_DIR="/..."`, unquoted
// as the shell would; empty when the line is anything else.
QByteArray userFolderOfLine(QByteArray line, const QByteArray& home) {
    line = line.trimmed();
    const qsizetype equals = line.indexOf('=');
    if (!line.startsWith("XDG_") || equals < 0 || !line.left(equals).endsWith("_DIR")) return {};
    QByteArray value = line.mid(equals + 1);
    if (!value.startsWith('"') || !value.endsWith('"') || value.size() < 2) return {};
    value = value.mid(1, value.size() - 2);
    QByteArray unquoted;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) ++i;
        unquoted.append(value[i]);
    }
    if (unquoted.startsWith("$HOME")) {
        const QByteArray rest = unquoted.mid(5);
        if (!rest.isEmpty() && !rest.startsWith('/')) return {};
        unquoted = home + rest;
    }
    while (unquoted.size() > 1 && unquoted.endsWith('/'))
        unquoted.chop(1);
    return isNormalisedAbsolutePath(unquoted) ? unquoted : QByteArray();
}

}  // namespace

bool isNormalisedAbsolutePath(const QByteArray& path) {
    if (!path.startsWith('/') || path.size() < 2 || path.endsWith('/')) return false;
    for (const QByteArray& component : path.mid(1).split('/')) {
        if (component.isEmpty() || component == "." || component == "..") return false;
    }
    return true;
}

QList<QByteArray> userDirectories(const QByteArray& home, const QByteArray& userDirsContent) {
    QList<QByteArray> folders;
    for (const char* name : kDefaultUserFolders)
        folders.append(home + '/' + name);
    for (const QByteArray& line : userDirsContent.split('\n')) {
        const QByteArray folder = userFolderOfLine(line, home);
        if (!folder.isEmpty()) folders.append(folder);
    }
    return folders;
}

QByteArray refusalOf(const QByteArray& path, const QByteArray& home,
                     const QList<QByteArray>& userFolders) {
    if (!path.startsWith('/')) return "not an absolute path";
    if (!isNormalisedAbsolutePath(path)) return "not a normalised path";
    if (path == home) return "the home folder itself";
    if (!isInside(path, home)) return "outside the caller's home folder";
    if (!path.mid(home.size() + 1).contains('/'))
        return "a folder or file directly in the home folder";
    for (const QByteArray& folder : userFolders) {
        if (path == folder) return "a user folder";
        // Removing a folder that holds one would remove the user folder with it.
        if (isInside(folder, path)) return "holds a user folder";
    }
    return {};
}
