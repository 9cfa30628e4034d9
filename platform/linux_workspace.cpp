#include "platform/linux_workspace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <algorithm>

#include "platform/desktop_entry.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/packages.h"
#include "platform/property_list.h"
#include "platform/services.h"

namespace platform {
namespace {

// Application folders hold bundles a level or two down (Utilities, a vendor's folder);
// deeper folders are not searched, which also bounds the cost of a rebuild.
constexpr int kMaxFolderDepth = 3;
const QString kGenericApplicationIcon = QStringLiteral("application-x-executable");
const QString kFolderIcon = QStringLiteral("folder");

// The modification time in nanoseconds, or -1 when nothing is there.
qint64 modificationStamp(const QString& path) {
    struct stat st;
    if (::stat(encodePath(path).constData(), &st) != 0)
        return -1;
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool isDirectoryFollowingLinks(const QString& path) {
    struct stat st;
    return ::stat(encodePath(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool hasSuffix(const QString& name, const QString& suffix) {
    return name.size() > suffix.size() && name.endsWith(suffix, Qt::CaseInsensitive);
}

QString infoPlistPath(const QString& bundle) {
    return appendPathComponent(bundle, QStringLiteral("Contents/Info.plist"));
}

QString homeFolder() {
    const auto home = services().homeFolder;
    return home ? home->homeDirectory() : QString::fromLocal8Bit(qgetenv("HOME"));
}

QString dataHome(const QString& home) {
    const QString configured = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
    if (configured.startsWith(u'/'))
        return configured;
    return appendPathComponent(home, QStringLiteral(".local/share"));
}

QStringList dataDirs() {
    QStringList dirs;
    for (const QString& dir : QString::fromLocal8Bit(qgetenv("XDG_DATA_DIRS")).split(u':')) {
        if (dir.startsWith(u'/'))
            dirs.append(dir);
    }
    if (dirs.isEmpty())
        dirs = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    return dirs;
}

// Desktop file IDs are file names; anything that could climb out of the folder is not one.
bool isPlausibleIdentifier(const QString& identifier) {
    return !identifier.isEmpty() && !identifier.contains(u'/') && identifier != u"." &&
           identifier != u"..";
}

bool canExecute(const QString& program) {
    if (program.startsWith(u'/'))
        return access(encodePath(program).constData(), X_OK) == 0;
    return !QStandardPaths::findExecutable(program).isEmpty();
}

QString bundleIcon(const QString& bundle) {
    const auto info = propertyListDictionaryAtPath(infoPlistPath(bundle));
    QString name = info ? info->value(QStringLiteral("CFBundleIconFile")).toString() : QString();
    if (name.isEmpty() || name.contains(u'/'))
        return kGenericApplicationIcon;
    if (!name.contains(u'.'))
        name += QStringLiteral(".icns");
    const QString icon = appendPathComponent(bundle, QStringLiteral("Contents/Resources/") + name);
    return fileExistsAtPath(icon) ? icon : kGenericApplicationIcon;
}

QString desktopEntryIcon(const QString& path) {
    const auto entry = DesktopEntry::read(path);
    const QString icon = entry ? entry->value(QStringLiteral("Icon")) : QString();
    return icon.isEmpty() ? kGenericApplicationIcon : icon;
}

// By name first; by content when the name says nothing.
QString fileIcon(const QString& path) {
    const QMimeDatabase database;
    const QString name = lastPathComponent(path);
    QMimeType type = database.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    if (type.isDefault()) {
        QByteArray head(512, Qt::Uninitialized);
        const int fd =
            open(encodePath(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        const ssize_t n = fd >= 0 ? ::read(fd, head.data(), size_t(head.size())) : -1;
        if (fd >= 0)
            ::close(fd);
        head.truncate(std::max<ssize_t>(n, 0));
        type = database.mimeTypeForFileNameAndData(name, head);
    }
    return type.iconName();
}

}  // namespace

LinuxWorkspace::Folders LinuxWorkspace::standardFolders() {
    const QString home = homeFolder();
    Folders folders;
    folders.applicationFolders = {QStringLiteral("/Applications"),
                                  appendPathComponent(home, QStringLiteral("Applications"))};
    QStringList dataFolders{
        dataHome(home),
        appendPathComponent(home, QStringLiteral(".local/share/flatpak/exports/share"))};
    dataFolders += dataDirs();
    dataFolders.append(QStringLiteral("/var/lib/flatpak/exports/share"));
    for (const QString& dir : dataFolders) {
        const QString applications = appendPathComponent(dir, QStringLiteral("applications"));
        if (!folders.desktopEntryFolders.contains(applications)) {
            folders.desktopEntryFolders.append(applications);
        }
    }
    return folders;
}

LinuxWorkspace::Folders LinuxWorkspace::folders() const {
    return fixedFolders_ ? *fixedFolders_ : standardFolders();
}

QString LinuxWorkspace::urlForApplicationWithBundleIdentifier(
    const QString& bundleIdentifier) const {
    if (!isPlausibleIdentifier(bundleIdentifier))
        return QString();
    const Folders current = folders();
    const QString bundle = bundleWithIdentifier(current.applicationFolders, bundleIdentifier);
    if (!bundle.isNull())
        return bundle;
    return desktopEntryWithIdentifier(current.desktopEntryFolders, bundleIdentifier);
}

QString LinuxWorkspace::iconForFile(const QString& path) const {
    const QString name = lastPathComponent(path);
    if (isDirectoryFollowingLinks(path)) {
        return hasSuffix(name, QStringLiteral(".app")) ? bundleIcon(path) : kFolderIcon;
    }
    if (!fileExistsAtPath(path))
        return QString();
    if (hasSuffix(name, QStringLiteral(".desktop")))
        return desktopEntryIcon(path);
    return fileIcon(path);
}

QString LinuxWorkspace::bundleWithIdentifier(const QStringList& roots,
                                             const QString& identifier) const {
    std::lock_guard lock(mutex_);
    if (!isCurrent(index_, roots))
        index_ = buildIndex(roots);
    const QString bundle = index_.bundles.value(identifier);
    // A bundle removed since the index was built no longer counts.
    return !bundle.isNull() && fileExistsAtPath(infoPlistPath(bundle)) ? bundle : QString();
}

bool LinuxWorkspace::isCurrent(const BundleIndex& index, const QStringList& roots) {
    if (index.roots != roots)
        return false;
    return std::all_of(index.folderStamps.begin(), index.folderStamps.end(), [](const auto& stamp) {
        return modificationStamp(stamp.first) == stamp.second;
    });
}

LinuxWorkspace::BundleIndex LinuxWorkspace::buildIndex(const QStringList& roots) {
    BundleIndex index;
    index.roots = roots;
    for (const QString& root : roots)
        indexFolder(root, 0, &index);
    return index;
}

void LinuxWorkspace::indexFolder(const QString& folder, int depth, BundleIndex* index) {
    // Stamped before reading, so that a change while we read makes the index stale.
    index->folderStamps.emplace_back(folder, modificationStamp(folder));
    std::vector<DirectoryEntry> entries;
    if (!listDirectory(folder, &entries))
        return;
    // The file system's order is arbitrary; sorting makes the first of two bundles with
    // one identifier the same at every rebuild.
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    for (const DirectoryEntry& entry : entries) {
        if (hasSuffix(entry.name, QStringLiteral(".app"))) {
            const auto info = propertyListDictionaryAtPath(infoPlistPath(entry.path));
            const QString identifier =
                info ? info->value(QStringLiteral("CFBundleIdentifier")).toString() : QString();
            if (!identifier.isEmpty() && !index->bundles.contains(identifier)) {
                index->bundles.insert(identifier, entry.path);
            }
        } else if (entry.isDirectory && !isPackageName(entry.name) && depth < kMaxFolderDepth) {
            indexFolder(entry.path, depth + 1, index);
        }
    }
}

QString LinuxWorkspace::desktopEntryWithIdentifier(const QStringList& folders,
                                                   const QString& identifier) {
    const QString fileName = identifier + QStringLiteral(".desktop");
    for (const QString& folder : folders) {
        const QString path = appendPathComponent(folder, fileName);
        if (!fileExistsAtPath(path))
            continue;
        // The first file with the ID decides, even when it hides the application.
        const auto entry = DesktopEntry::read(path);
        if (!entry || entry->value(QStringLiteral("Type")) != QStringLiteral("Application") ||
            entry->boolValue(QStringLiteral("Hidden"))) {
            return QString();
        }
        const QString tryExec = entry->value(QStringLiteral("TryExec"));
        return tryExec.isEmpty() || canExecute(tryExec) ? path : QString();
    }
    return QString();
}

}  // namespace platform
