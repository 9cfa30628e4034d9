#include "engine/categories/broken_prefs_item.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/application_identity.h"
#include "engine/disk_utilities.h"
#include "platform/desktop_entry.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/property_list.h"
#include "platform/tree_walk.h"
#include "platform/xdg_autostart.h"

namespace {

// As the file manager answers it: a link to a folder is a folder.
bool isDirectoryFollowingLinks(const QString& path) {
    struct stat st;
    return ::stat(platform::encodePath(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

QString pathExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot <= 0 ? QString() : name.mid(dot + 1);
}

// A launcher is a few kilobytes; anything far larger is not one.
constexpr qint64 kMaxLauncherBytes = qint64(1) << 20;

// The launchers below a folder, also in subfolders (wine and some installers file theirs
// there): desktop files and links to them, never entering a link or a hidden folder.
class LauncherVisitor : public platform::WalkVisitor {
public:
    void visitEntry(const platform::WalkEntry& entry) override {
        const QString name = platform::decodePath(QByteArray(entry.name));
        if (name.startsWith(u'.') || !name.endsWith(QStringLiteral(".desktop"))) return;
        if (entry.type == DT_REG || entry.type == DT_LNK)
            paths.append(platform::decodePath(entry.path()));
    }
    bool shouldDescend(const platform::WalkEntry& entry) override { return entry.name[0] != '.'; }
    QStringList paths;
};

// Menus leave out a launcher they cannot load, and one whose program is gone starts
// nothing. One that hides a launcher of the system does so on purpose.
bool launcherIsBroken(const QString& path) {
    const auto text = platform::readFileContents(path, kMaxLauncherBytes);
    if (!text || !platform::DesktopEntry::isWellFormed(*text)) return true;
    const auto entry = platform::DesktopEntry::parse(*text);
    if (!entry || entry->boolValue(QStringLiteral("Hidden"))) return false;
    const QString type = entry->value(QStringLiteral("Type"));
    return (type.isEmpty() || type == u"Application") &&
           platform::desktopEntryProgramIsMissing(*entry);
}

}  // namespace

QString QSBrokenPrefsItem::path() const {
    return QSDiskUtilities::sharedInstance().libraryPathWithComponent(
        QStringLiteral("Preferences"));
}

QSScanResultPtr QSBrokenPrefsItem::actuallyScan() {
    QList<QSScannedFilePtr> details;
    std::vector<platform::DirectoryEntry> entries;
    platform::listDirectory(path(), &entries);
    for (const auto& entry : entries) {
        if (!isExamined(entry.path, entry.name)) continue;
        // Only a file that fails to parse is broken; one too large to examine is not.
        if (platform::checkPropertyListFile(entry.path) !=
            platform::PropertyListStatus::Malformed) {
            continue;
        }
        details.append(scannedFileWithPath(entry.path, QVariantMap()));
    }
    details += brokenLaunchers();
    return std::make_shared<QSScanResult>(title(), key(), 0, details, kPathMarkerLarge);
}

QList<QSScannedFilePtr> QSBrokenPrefsItem::brokenLaunchers() {
    QList<QSScannedFilePtr> broken;
    const QString folder =
        platform::appendPathComponent(QSDiskUtilities::sharedInstance().baseDirectories().dataHome,
                                      QStringLiteral("applications"));
    const int fd =
        open(platform::encodePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return broken;
    LauncherVisitor visitor;
    platform::walkTree(fd, platform::encodePath(folder), visitor);
    close(fd);
    visitor.paths.sort();
    for (const QString& path : visitor.paths) {
        if (launcherIsBroken(path)) broken.append(scannedFileWithPath(path, QVariantMap()));
    }
    return broken;
}

bool QSBrokenPrefsItem::isExamined(const QString& path, const QString& name) {
    return !name.startsWith(kApplePrefix) && !isDirectoryFollowingLinks(path) &&
           fileIsDeletableAtPath(path) && !name.startsWith(u'.') &&
           pathExtension(name) == QStringLiteral("plist") &&
           !name.contains(QStringLiteral(".lockfile"));
}
