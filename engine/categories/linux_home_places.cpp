#include "engine/categories/linux_home_places.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <algorithm>

#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/folder_anchors.h"

namespace linux_home {

namespace {

QString in(const QString& folder, const char* component) {
    return platform::appendPathComponent(folder, QLatin1String(component));
}

bool isRealFolder(const QString& path) {
    return platform::itemKind(path) == platform::ItemKind::Directory;
}

// By name: the order the file system lists them in changes from one scan to the next.
std::vector<platform::DirectoryEntry> sortedEntries(const QString& folder) {
    std::vector<platform::DirectoryEntry> entries;
    platform::listDirectory(folder, &entries);
    std::sort(entries.begin(), entries.end(),
              [](const platform::DirectoryEntry& a, const platform::DirectoryEntry& b) {
                  return a.name < b.name;
              });
    return entries;
}

}  // namespace

QList<ApplicationHome> applicationHomes() {
    const auto& disk = QSDiskUtilities::sharedInstance();
    const xdg::BaseDirectories base = disk.baseDirectories();
    QList<ApplicationHome> homes{
        {QString(), disk.homeDirectoryPath(), base.cacheHome, base.configHome}};
    return homes + sandboxHomes();
}

QList<ApplicationHome> sandboxHomes() {
    const auto& disk = QSDiskUtilities::sharedInstance();
    QList<ApplicationHome> homes;
    for (const auto& entry :
         sortedEntries(disk.homeDirectoryPathWithComponent(QStringLiteral(".var/app")))) {
        if (!entry.isDirectory || !isRealFolder(entry.path)) continue;
        homes.append({entry.name, entry.path, in(entry.path, "cache"), in(entry.path, "config")});
    }
    for (const auto& entry :
         sortedEntries(disk.homeDirectoryPathWithComponent(QStringLiteral("snap")))) {
        const QString common = in(entry.path, "common");
        if (!entry.isDirectory || !isRealFolder(entry.path) || !isRealFolder(common)) continue;
        homes.append({entry.name, common, in(common, ".cache"), in(common, ".config")});
    }
    return homes;
}

const QStringList& browserCacheFolderNames() {
    static const QStringList names{
        QStringLiteral("mozilla"),        QStringLiteral("librewolf"),
        QStringLiteral("waterfox"),       QStringLiteral("chromium"),
        QStringLiteral("google-chrome"),  QStringLiteral("BraveSoftware"),
        QStringLiteral("microsoft-edge"), QStringLiteral("vivaldi"),
        QStringLiteral("opera"),
    };
    return names;
}

const QStringList& mailCacheFolderNames() {
    static const QStringList names{QStringLiteral("thunderbird"), QStringLiteral("evolution")};
    return names;
}

bool isLockLink(const QString& path) {
    return platform::itemKind(path) == platform::ItemKind::Link;
}

std::optional<quint64> folderDevice(const QString& path) {
    int error = 0;
    const platform::UniqueFd folder = platform::openFolderBeneathAnchor(path, &error);
    struct statx st;
    if (!folder.valid() ||
        ::statx(folder.get(), "", AT_EMPTY_PATH, platform::FileIdentity::kStatxMask, &st) != 0) {
        return std::nullopt;
    }
    return platform::FileIdentity::fromStatx(st).device;
}

bool onSameDevice(const QString& folder, const QString& other) {
    const auto first = folderDevice(folder);
    const auto second = folderDevice(other);
    return first && second && *first == *second;
}

QString pathRelativeToHome(const QString& path) {
    const QString home = QSDiskUtilities::sharedInstance().homeDirectoryPath();
    const QString prefix = home.endsWith(u'/') ? home : home + u'/';
    return path.startsWith(prefix) && path.size() > prefix.size() ? path.mid(prefix.size()) : path;
}

QStringList existingFolders(const QStringList& folders) {
    QStringList existing;
    for (const QString& folder : folders) {
        if (!folder.isNull() && platform::fileExistsAtPath(folder)) existing.append(folder);
    }
    return existing;
}

QSScannedFilePtr namedEntry(const QString& path, const QString& name, const EntryBuilder& build) {
    QDateTime created;
    QDateTime modified;
    platform::FileIdentity identity;
    if (!platform::itemDates(path, &created, &modified, &identity)) return nullptr;
    QSScannedFilePtr file = build(
        path, {{kNSURLCreationDateKey, created}, {kNSURLContentModificationDateKey, modified}});
    file->setFileName(name);
    file->setIdentity(identity);
    return file;
}

}  // namespace linux_home
