#include "engine/disk_utilities.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>

#include "base/system_log.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/folder_anchors.h"
#include "platform/services.h"
#include "platform/tree_walk.h"
#include "platform/unique_fd.h"

namespace {

const QString kVolumesPrefix = QStringLiteral("/Volumes/");

// A home folder reported inside an application container ends in
// /Library/Containers/<identifier>/Data; the real home folder is what lies above.
QString withoutContainerSuffix(const QString& path) {
    static const QRegularExpression container(
        QStringLiteral("^(.+)/Library/Containers/[^/]+/Data/*$"));
    const auto match = container.match(path);
    return match.hasMatch() ? match.captured(1) : path;
}

// The leading decimal integer of the text, or 0.
qint64 leadingInteger(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^\\s*([+-]?\\d+)"));
    const auto match = number.match(text);
    return match.hasMatch() ? match.captured(1).toLongLong() : 0;
}

bool lacksPermission(const std::vector<platform::RemovalFailure>& failures) {
    return std::any_of(failures.begin(), failures.end(), [](const auto& failure) {
        return failure.error.code == platform::Error::kFileWriteNoPermission;
    });
}

// Go keeps its module cache read-only (files 0444, folders 0555) so that no build changes
// a module by mistake, and other tools do the same with what they unpack. Nothing can be
// unlinked from such a folder, not even by its owner, until the owner makes it writable
// again, as `go clean -modcache` does. Only folders the user owns are changed, each one
// opened without following a link and only on the removed folder's own mount, so that
// neither a link nor a mount inside carries the change beyond what was selected.
bool makeWritableIfOwn(int folder, quint64 mount) {
    constexpr mode_t kOwnerMayEmpty = S_IWUSR | S_IXUSR;
    struct statx st;
    if (statx(folder, "", AT_EMPTY_PATH, STATX_TYPE | STATX_MODE | STATX_UID, &st) != 0 ||
        !S_ISDIR(st.stx_mode) || st.stx_uid != geteuid() ||
        platform::mountIdOf(folder, "", AT_EMPTY_PATH) != mount) {
        return false;
    }
    if ((st.stx_mode & kOwnerMayEmpty) == kOwnerMayEmpty) return true;
    return fchmod(folder, (st.stx_mode & 07777) | kOwnerMayEmpty) == 0;
}

class OwnFoldersMadeWritable : public platform::WalkVisitor {
public:
    explicit OwnFoldersMadeWritable(quint64 mount) : mount_(mount) {}
    void visitEntry(const platform::WalkEntry&) override {}
    // A folder of someone else is left as it is, and so is everything inside it.
    bool shouldDescend(const platform::WalkEntry& entry) override {
        const platform::UniqueFd folder(
            openat(entry.dirFd, entry.name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        return folder.valid() && makeWritableIfOwn(folder.get(), mount_);
    }

private:
    const quint64 mount_;
};

// Makes the folder at the path and the folders inside it writable, when the user owns
// the folder and it is still the scanned one (when given). False when nothing was done.
bool makeOwnFoldersWritable(const QString& path, const platform::FileIdentity* scanned) {
    int error = 0;
    const platform::UniqueFd root = platform::openFolderBeneathAnchor(path, &error);
    struct statx st;
    if (!root.valid() ||
        statx(root.get(), "", AT_EMPTY_PATH, platform::FileIdentity::kStatxMask, &st) != 0 ||
        (scanned && !scanned->stillDescribes(platform::FileIdentity::fromStatx(st)))) {
        return false;
    }
    const quint64 mount = platform::mountIdOf(root.get(), "", AT_EMPTY_PATH);
    if (!makeWritableIfOwn(root.get(), mount)) return false;
    OwnFoldersMadeWritable visitor(mount);
    platform::walkTree(root.get(), platform::encodePath(path), visitor, 1);
    return true;
}

}  // namespace

QSDiskUtilities& QSDiskUtilities::sharedInstance() {
    static QSDiskUtilities instance;
    return instance;
}

QSDiskUtilities::QSDiskUtilities() {
    setCurrentVolumePath(QStringLiteral("/"));
    // The home folder and its locations come from the services: follow a swap of them.
    platform::observeServiceChanges([this] { updatePaths(); });
}

QString QSDiskUtilities::get(QString Locations::*field) const {
    std::lock_guard lock(mutex_);
    return locations_.*field;
}

void QSDiskUtilities::set(QString Locations::*field, const QString& value) {
    std::lock_guard lock(mutex_);
    locations_.*field = value;
}

QString QSDiskUtilities::currentVolumePath() const {
    return get(&Locations::currentVolumePath);
}
QString QSDiskUtilities::homeDirectoryPath() const {
    return get(&Locations::homeDirectoryPath);
}
QString QSDiskUtilities::libraryDirectoryPath() const {
    return get(&Locations::libraryDirectoryPath);
}
QString QSDiskUtilities::applicationLogsPath() const {
    return get(&Locations::applicationLogsPath);
}
QString QSDiskUtilities::applicationCachesPath() const {
    return get(&Locations::applicationCachesPath);
}
QString QSDiskUtilities::trashPath() const {
    return get(&Locations::trashPath);
}
xdg::BaseDirectories QSDiskUtilities::baseDirectories() const {
    std::lock_guard lock(mutex_);
    return locations_.baseDirectories;
}

QString QSDiskUtilities::userDirectory(const QString& key) const {
    return xdg::userDirectory(homeDirectoryPath(), baseDirectories().configHome, key);
}

QString QSDiskUtilities::downloadsPath() const {
    return get(&Locations::downloadsPath);
}
QString QSDiskUtilities::mailDownloadsPath() const {
    return get(&Locations::mailDownloadsPath);
}
QString QSDiskUtilities::mailDownloadsContainersPath() const {
    return get(&Locations::mailDownloadsContainersPath);
}
QString QSDiskUtilities::iOSBackupsPath() const {
    return get(&Locations::iOSBackupsPath);
}
QString QSDiskUtilities::derivedDataPath() const {
    return get(&Locations::derivedDataPath);
}

void QSDiskUtilities::setCurrentVolumePath(const QString& path) {
    set(&Locations::currentVolumePath, path);
    updatePaths();
}

void QSDiskUtilities::updatePaths() {
    Locations computed = computeLocations(currentVolumePath());
    std::lock_guard lock(mutex_);
    locations_ = std::move(computed);
}

QString QSDiskUtilities::homeFolderFromReportedPath(const QString& reported) const {
    const QString home = withoutContainerSuffix(removeVolumePrefixesFromPath(reported));
    return platform::standardizePath(home, home);
}

QSDiskUtilities::Locations QSDiskUtilities::computeLocations(const QString& volume) {
    Locations l;
    l.currentVolumePath = volume;
    const auto homeFolder = platform::services().homeFolder;
    l.homeDirectoryPath =
        homeFolderFromReportedPath(homeFolder ? homeFolder->homeDirectory() : QStringLiteral("/"));
    base::log(QStringLiteral("[DEBUG] Home Directory is: %1").arg(l.homeDirectoryPath));
    // Everything a scan lists in the home folder is measured and removed from here.
    platform::anchorFolder(l.homeDirectoryPath);
    const auto home = [&](const QString& c) {
        return platform::appendPathComponent(l.homeDirectoryPath, c);
    };
    l.libraryDirectoryPath = home(QStringLiteral("Library"));
    const auto library = [&](const QString& c) {
        return verifyPathExistsWithPath(platform::appendPathComponent(l.libraryDirectoryPath, c));
    };
    l.applicationLogsPath = library(QStringLiteral("Logs"));
    l.applicationCachesPath = library(QStringLiteral("Caches"));
    QString trash = l.homeDirectoryPath + QStringLiteral("/.Trash/%1").arg(uid());
    if (!platform::fileExistsAtPath(trash)) trash = home(QStringLiteral(".Trash"));
    l.trashPath = verifyPathExistsWithPath(trash);
    l.baseDirectories = xdg::baseDirectoriesForHome(l.homeDirectoryPath);
    // The Downloads folder as the desktop names it (it is often translated).
    l.downloadsPath = verifyPathExistsWithPath(xdg::userDirectory(
        l.homeDirectoryPath, l.baseDirectories.configHome, QStringLiteral("DOWNLOAD")));
    l.mailDownloadsPath = library(QStringLiteral("Mail Downloads"));
    l.mailDownloadsContainersPath =
        library(QStringLiteral("Containers/com.apple.mail/Data/Library/Mail Downloads"));
    l.iOSBackupsPath = library(QStringLiteral("Application Support/MobileSync/Backup"));
    l.derivedDataPath = library(QStringLiteral("Developer/Xcode/DerivedData"));
    return l;
}

QString QSDiskUtilities::libraryPathWithComponent(const QString& component) const {
    return platform::appendPathComponent(libraryDirectoryPath(), component);
}

QString QSDiskUtilities::homeDirectoryPathWithComponent(const QString& component) const {
    return platform::appendPathComponent(homeDirectoryPath(), component);
}

QString QSDiskUtilities::verifyPathExistsWithPath(const QString& path) const {
    return platform::fileExistsAtPath(path) ? path : QString();
}

QString QSDiskUtilities::removeVolumePrefixesFromPath(const QString& path) const {
    QString result = path;
    const auto volumes = platform::services().volumes;
    for (const auto& volume :
         volumes ? volumes->mountedVolumes() : QList<platform::MountedVolume>()) {
        if (!volume.name) continue;
        const QString prefix = kVolumesPrefix + *volume.name;
        // Only a whole component matches: /Volumes/Disk2 is not on the volume "Disk".
        if (result.startsWith(prefix) &&
            (result.size() == prefix.size() || result.at(prefix.size()) == u'/')) {
            result = result.mid(prefix.size());
            if (result.isEmpty()) result = QStringLiteral("/");
            break;
        }
    }
    return platform::standardizePath(result);
}

quint64 QSDiskUtilities::fileSizeForPath(const QString& path) const {
    if (path.isEmpty()) return 0;
    return platform::sizeOfItem(path);
}

bool QSDiskUtilities::refuseRelativePath(const QString& path, platform::Error* error) {
    if (path.startsWith(u'/')) return false;
    platform::Error refusal = platform::Error::fromErrno(EINVAL, path);
    refusal.description =
        QStringLiteral("\u201c%1\u201d is not an absolute path; nothing was removed.").arg(path);
    base::log(QStringLiteral("[DEBUG] Could not remove file at '%1' because of error: %2")
                  .arg(path, refusal.toString()));
    if (error) *error = refusal;
    return true;
}

bool QSDiskUtilities::removeItemAtPath(const QString& path, bool keepContainingFolder,
                                       platform::Error* error) {
    if (refuseRelativePath(path, error)) return false;
    int lookError = 0;
    switch (platform::itemKind(path, &lookError)) {
        case platform::ItemKind::Missing:
            // Only "nothing there" is missing: a path that could not be looked at is a
            // failure with its own reason.
            if (error) *error = platform::errorFor(lookError, path);
            return false;
        case platform::ItemKind::Directory:
            return removeDirectoryAtPath(path, keepContainingFolder, error);
        case platform::ItemKind::Link:
        case platform::ItemKind::Other:
            break;
    }
    platform::Error failure;
    if (platform::removeFile(path, &failure)) return true;
    base::log(QStringLiteral("[DEBUG] Could not remove file at '%1' because of error: %2")
                  .arg(path, failure.toString()));
    if (error) *error = failure;
    return false;
}

bool QSDiskUtilities::removeDirectoryAtPath(const QString& path, bool keepContainingFolder,
                                            platform::Error* error) {
    if (refuseRelativePath(path, error)) return false;
    std::vector<platform::RemovalFailure> failures;
    platform::removeDirectory(path, keepContainingFolder, &failures);
    // Read-only folders of the user's own are made writable only when they were met: the
    // extra walk costs nothing to the removals that never need it.
    if (lacksPermission(failures) && makeOwnFoldersWritable(path, nullptr)) {
        failures.clear();
        platform::removeDirectory(path, keepContainingFolder, &failures);
    }
    return answerForFailures(path, failures, error);
}

bool QSDiskUtilities::removeItemAtPath(const QString& path, const platform::FileIdentity& scanned,
                                       platform::Error* error) {
    if (refuseRelativePath(path, error)) return false;
    std::vector<platform::RemovalFailure> failures;
    platform::removeScannedItem(path, scanned, &failures);
    if (scanned.isDirectory() && lacksPermission(failures) &&
        makeOwnFoldersWritable(path, &scanned)) {
        failures.clear();
        platform::removeScannedItem(path, scanned, &failures);
    }
    if (failures.size() == 1 && failures.front().path == path) {
        // The item itself was refused, missing or could not be removed: say why.
        base::log(QStringLiteral("[DEBUG] Could not remove file at '%1' because of error: %2")
                      .arg(path, failures.front().error.toString()));
        if (error) *error = failures.front().error;
        return false;
    }
    return answerForFailures(path, failures, error);
}

// A folder whose content could not all be removed answers with the code of its first
// failed entry, so that its reason is the real one: a folder on a read-only drive is not a
// question of rights, and administrator rights would not remove it. Each failure is logged.
bool QSDiskUtilities::answerForFailures(const QString& path,
                                        const std::vector<platform::RemovalFailure>& failures,
                                        platform::Error* error) {
    for (const auto& failure : failures) {
        base::log(QStringLiteral("[DEBUG][D] Could not delete file at '%1' because of error: %2")
                      .arg(failure.path, failure.error.toString()));
    }
    if (failures.empty()) return true;
    if (error) {
        const platform::RemovalFailure& first = failures.front();
        const platform::Error& cause =
            first.error.underlying ? *first.error.underlying : first.error;
        // The folder itself is still there, whatever its entry said.
        const bool notFound = first.error.meansNotFound();
        *error = platform::Error{
            notFound ? platform::Error::Domain::Cocoa : first.error.domain,
            notFound ? platform::Error::kFileWriteUnknown : first.error.code,
            QStringLiteral("Some items in \u201c%1\u201d could not be removed: \u201c%2\u201d: %3")
                .arg(path, first.path, cause.description),
            std::make_shared<const platform::Error>(first.error)};
    }
    return false;
}

qint64 QSDiskUtilities::uid() {
    std::call_once(uidOnce_, [this] {
        QProcess id;
        id.start(QStringLiteral("/usr/bin/id"), {QStringLiteral("-u")});
        if (!id.waitForStarted()) {
            // Without the tool, ask the kernel: the same number by another means.
            uid_ = qint64(getuid());
            return;
        }
        id.waitForFinished(-1);
        uid_ = leadingInteger(QString::fromLatin1(id.readAllStandardOutput()));
    });
    return uid_;
}
