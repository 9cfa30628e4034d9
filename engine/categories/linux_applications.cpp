#include "engine/categories/linux_applications.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <QSet>
#include <algorithm>
#include <cstring>
#include <optional>

#include "engine/application_identity.h"
#include "engine/categories/linux_home_places.h"
#include "engine/disk_utilities.h"
#include "platform/desktop_entry.h"
#include "platform/editable_desktop_file.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/folder_anchors.h"
#include "platform/services.h"
#include "platform/tree_walk.h"
#include "platform/unique_fd.h"

namespace {

QString in(const QString& folder, const QString& component) {
    return platform::appendPathComponent(folder, component);
}

QDateTime dateFrom(const struct statx_timestamp& t) {
    return QDateTime::fromMSecsSinceEpoch(qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000, Qt::UTC);
}

// The newest use of anything in an application's data. Folders count by their changes
// only: every walk that lists a folder (ours, a backup's, an indexer's) moves its access
// time, which would make every application look used today.
class NewestUse : public platform::WalkVisitor {
public:
    void visitEntry(const platform::WalkEntry& entry) override { noteEntry(entry); }
    void leaveDirectory(const platform::WalkEntry& entry) override { noteEntry(entry); }
    void note(const struct statx& st) {
        QDateTime used = dateFrom(st.stx_mtime);
        if (!S_ISDIR(st.stx_mode) && (st.stx_mask & STATX_ATIME)) {
            used = std::max(used, dateFrom(st.stx_atime));
        }
        if (!newest.isValid() || used > newest) newest = used;
    }
    QDateTime newest;

private:
    void noteEntry(const platform::WalkEntry& entry) {
        struct statx st;
        if (entry.stat(&st)) note(st);
    }
};

// Nothing when the application never ran (Flatpak makes the folder at its first start).
std::optional<QDateTime> newestUseInside(const QString& folder) {
    int error = 0;
    const platform::UniqueFd fd = platform::openFolderBeneathAnchor(folder, &error);
    struct statx st;
    if (!fd.valid() || ::statx(fd.get(), "", AT_EMPTY_PATH, STATX_MTIME | STATX_MODE, &st) != 0) {
        return std::nullopt;
    }
    NewestUse use;
    use.note(st);
    platform::walkTree(fd.get(), platform::encodePath(folder), use);
    return use.newest;
}

// Flatpak writes the deployment's "deploy" file when it deploys; its checked-out files
// carry no dates of their own.
std::optional<QDateTime> deploymentDate(const platform::FlatpakApplication& application) {
    QDateTime created, modified;
    for (const QString& path :
         {in(application.deployment, QStringLiteral("deploy")), application.deployment}) {
        if (platform::itemDates(path, &created, &modified)) return modified;
    }
    return std::nullopt;
}

QString installationText(const platform::FlatpakInstallation& installation) {
    switch (installation.kind) {
        case platform::FlatpakInstallation::Kind::User:
            return QStringLiteral("user installation");
        case platform::FlatpakInstallation::Kind::System:
            return QStringLiteral("system installation");
        case platform::FlatpakInstallation::Kind::Named:
            break;
    }
    return QStringLiteral("installation %1").arg(installation.name);
}

QSScannedFilePtr plainFile(const QString& path, const QVariantMap& attributes) {
    auto file = std::make_shared<QSScannedFile>();
    file->setPath(path);
    file->setFileName(platform::lastPathComponent(path));
    file->setAttributes(attributes);
    file->setFileSize(QSDiskUtilities::sharedInstance().fileSizeForPath(path));
    return file;
}

QSScannedFilePtr flatpakEntry(const platform::FlatpakApplication& application, const QString& name,
                              const QDateTime& used, bool byData) {
    auto entry = std::make_shared<QSFlatpakApplicationFile>(application);
    const QString shown = QStringLiteral("%1 (Flatpak, %2; %3)")
                              .arg(name, installationText(application.installation),
                                   byData ? QStringLiteral("last use of its data")
                                          : QStringLiteral("installed, never opened since"));
    const auto built = linux_home::namedEntry(
        application.folder, shown, [&](const QString& path, const QVariantMap& attributes) {
            entry->setPath(path);
            entry->setAttributes(attributes);
            entry->setFileSize(QSDiskUtilities::sharedInstance().fileSizeForPath(path));
            return entry;
        });
    if (!built) return nullptr;
    entry->setLastUsedDate(used);
    entry->setIcon(application.id);
    return entry;
}

// --- AppImages

struct Launcher {
    QString path;
    QString program;
    QString icon;
    QString name;
};

// The launchers in the user's applications folder that start a program.
QList<Launcher> userLaunchers() {
    const QString folder = in(QSDiskUtilities::sharedInstance().baseDirectories().dataHome,
                              QStringLiteral("applications"));
    std::vector<platform::DirectoryEntry> entries;
    platform::listDirectory(folder, &entries);
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    QList<Launcher> launchers;
    for (const auto& entry : entries) {
        if (entry.isDirectory || !entry.name.endsWith(QStringLiteral(".desktop"))) continue;
        const auto desktop = platform::DesktopEntry::read(entry.path);
        if (!desktop) continue;
        const QString program = platform::execProgram(desktop->value(QStringLiteral("Exec")));
        if (program.isEmpty()) continue;
        launchers.append({entry.path, program, desktop->value(QStringLiteral("Icon")),
                          desktop->value(QStringLiteral("Name"))});
    }
    return launchers;
}

bool isInsideHome(const QString& path) {
    const QString home = QSDiskUtilities::sharedInstance().homeDirectoryPath();
    return path.startsWith(home.endsWith(u'/') ? home : home + u'/');
}

// The AppImage's own facts, read before anything opens it.
struct AppImageFacts {
    QDateTime accessed;
    QDateTime modified;
    bool accessRecorded = false;
};

// An AppImage is an ELF program with "AI" and its type (1 or 2) where ELF leaves
// padding. It is opened without moving its access time, the date of its last use.
std::optional<AppImageFacts> appImageFacts(const QString& path) {
    const platform::OpenedParent parent = platform::openParentBeneathAnchor(path);
    if (parent.error != 0) return std::nullopt;
    struct statx st;
    if (::statx(parent.parent.get(), parent.name.constData(), AT_SYMLINK_NOFOLLOW,
                STATX_TYPE | STATX_ATIME | STATX_MTIME, &st) != 0 ||
        !S_ISREG(st.stx_mode)) {
        return std::nullopt;
    }
    constexpr int kFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    platform::UniqueFd fd(
        ::openat(parent.parent.get(), parent.name.constData(), kFlags | O_NOATIME));
    // O_NOATIME is refused for a file of another owner; reading it then is not our doing.
    if (!fd.valid() && errno == EPERM) {
        fd = platform::UniqueFd(::openat(parent.parent.get(), parent.name.constData(), kFlags));
    }
    static constexpr char kElf[] = {0x7f, 'E', 'L', 'F'};
    char head[11];
    if (!fd.valid() || ::pread(fd.get(), head, sizeof head, 0) != ssize_t(sizeof head) ||
        memcmp(head, kElf, sizeof kElf) != 0 || head[8] != 'A' || head[9] != 'I' ||
        (head[10] != 1 && head[10] != 2)) {
        return std::nullopt;
    }
    struct statvfs mount;
    const bool recorded = ::fstatvfs(fd.get(), &mount) == 0 && !(mount.f_flag & ST_NOATIME) &&
                          (st.stx_mask & STATX_ATIME);
    return AppImageFacts{dateFrom(st.stx_atime), dateFrom(st.stx_mtime), recorded};
}

QStringList appImageCandidates(const QList<Launcher>& launchers) {
    const auto& disk = QSDiskUtilities::sharedInstance();
    QStringList candidates;
    for (const QString& folder :
         {disk.homeDirectoryPathWithComponent(QStringLiteral("Applications")),
          disk.homeDirectoryPathWithComponent(QStringLiteral(".local/bin")),
          disk.downloadsPath()}) {
        std::vector<platform::DirectoryEntry> entries;
        if (folder.isNull()) continue;
        platform::listDirectory(folder, &entries);
        for (const auto& entry : entries) {
            if (!entry.isDirectory) candidates.append(entry.path);
        }
    }
    // Outside the home, a program is the system's or another user's.
    for (const Launcher& launcher : launchers) {
        if (isInsideHome(launcher.program))
            candidates.append(platform::standardizePath(launcher.program));
    }
    candidates.sort();
    candidates.removeDuplicates();
    // A running AppImage is told its own path; it never offers itself.
    candidates.removeAll(qEnvironmentVariable("APPIMAGE"));
    return candidates;
}

QStringList iconFilesNamed(const QString& icon) {
    if (icon.startsWith(u'/')) {
        return isInsideHome(icon) && platform::itemKind(icon) == platform::ItemKind::Other
                   ? QStringList{icon}
                   : QStringList();
    }
    if (icon.isEmpty() || icon.contains(u'/')) return {};
    const QString icons =
        in(QSDiskUtilities::sharedInstance().baseDirectories().dataHome, QStringLiteral("icons"));
    QStringList folders{icons};
    std::vector<platform::DirectoryEntry> sizes;
    platform::listDirectory(in(icons, QStringLiteral("hicolor")), &sizes);
    for (const auto& size : sizes)
        folders.append(in(size.path, QStringLiteral("apps")));
    QStringList files;
    for (const QString& folder : folders) {
        for (const char* extension : {".png", ".svg", ".xpm"}) {
            const QString path = in(folder, icon + QLatin1String(extension));
            if (platform::itemKind(path) == platform::ItemKind::Other) files.append(path);
        }
    }
    return files;
}

// The launchers that start the AppImage, and the icons that no other launcher shows.
QList<QSScannedFilePtr> appImageCompanions(const QString& appImage,
                                           const QList<Launcher>& launchers) {
    QList<QSScannedFilePtr> companions;
    QSet<QString> otherIcons;
    QStringList ownIcons;
    for (const Launcher& launcher : launchers) {
        if (platform::standardizePath(launcher.program) != appImage) {
            otherIcons.insert(launcher.icon);
            continue;
        }
        if (auto file = linux_home::namedEntry(
                launcher.path, platform::lastPathComponent(launcher.path), plainFile)) {
            companions.append(file);
        }
        ownIcons.append(launcher.icon);
    }
    ownIcons.removeDuplicates();
    for (const QString& icon : ownIcons) {
        if (otherIcons.contains(icon)) continue;
        for (const QString& path : iconFilesNamed(icon)) {
            if (auto file =
                    linux_home::namedEntry(path, platform::lastPathComponent(path), plainFile)) {
                companions.append(file);
            }
        }
    }
    return companions;
}

QSScannedFilePtr appImageEntry(const QString& path, const AppImageFacts& facts,
                               const QList<Launcher>& launchers) {
    const QString shown = QStringLiteral("%1 (%2)").arg(
        platform::lastPathComponent(path),
        facts.accessRecorded ? QStringLiteral("last opened")
                             : QStringLiteral("last changed; openings not recorded"));
    QSScannedFilePtr entry = linux_home::namedEntry(path, shown, plainFile);
    if (!entry) return nullptr;
    entry->setLastUsedDate(facts.accessRecorded ? facts.accessed : facts.modified);
    const QList<QSScannedFilePtr> companions = appImageCompanions(path, launchers);
    for (const Launcher& launcher : launchers) {
        if (platform::standardizePath(launcher.program) == path && !launcher.icon.isEmpty()) {
            entry->setIcon(launcher.icon);
            break;
        }
    }
    if (companions.isEmpty()) return entry;
    QSScannedFilePtr self =
        linux_home::namedEntry(path, platform::lastPathComponent(path), plainFile);
    if (!self) return nullptr;
    entry->setFiles(QList<QSScannedFilePtr>{self} + companions);
    return entry;
}

}  // namespace

// QSFlatpakApplicationFile

bool QSFlatpakApplicationFile::isDeployed() const {
    return platform::fileExistsAtPath(in(path(), QStringLiteral("current/active")));
}

bool QSFlatpakApplicationFile::removeItem(platform::Error* error) {
    const QString folder = path();
    const auto now = platform::identityOfItem(folder);
    if (!now) {
        if (error) *error = platform::Error::fromErrno(ENOENT, folder);
        return false;
    }
    if (!identity().isValid() || !identity().stillDescribes(*now)) {
        if (error) *error = platform::Error::changedSinceScan();
        return false;
    }
    const auto flatpak = platform::services().flatpak;
    QString failure = QStringLiteral("Flatpak is not available");
    const bool ran =
        flatpak && flatpak->uninstall(application_.installation, application_.id, &failure);
    // What is left decides, never the tool's word alone.
    if (!isDeployed()) return true;
    if (error) {
        *error = {platform::Error::Domain::Cocoa, platform::Error::kFileWriteUnknown,
                  ran ? QStringLiteral("flatpak uninstall left %1 installed").arg(application_.id)
                      : QStringLiteral("flatpak uninstall failed: %1").arg(failure),
                  nullptr};
    }
    return false;
}

namespace linux_apps {

QList<platform::FlatpakInstallation> flatpakInstallations() {
    const auto& disk = QSDiskUtilities::sharedInstance();
    QList<platform::FlatpakInstallation> installations{
        {platform::FlatpakInstallation::Kind::User, QStringLiteral("user"),
         in(disk.baseDirectories().dataHome, QStringLiteral("flatpak"))}};
    if (const auto flatpak = platform::services().flatpak) {
        installations += flatpak->systemInstallations();
    }
    return installations;
}

QHash<QString, QString> flatpakNames() {
    QHash<QString, QString> names;
    for (const auto& installation : flatpakInstallations()) {
        const QHash<QString, QString> found = platform::flatpakApplicationNames(installation);
        for (auto it = found.begin(); it != found.end(); ++it) {
            if (!names.contains(it.key())) names.insert(it.key(), it.value());
        }
    }
    return names;
}

QString flatpakName(const QHash<QString, QString>& names, const QString& id) {
    return names.value(id, id.section(u'.', -1));
}

QList<QSScannedFilePtr> unusedFlatpakApplications(const QDateTime& threshold) {
    const auto& disk = QSDiskUtilities::sharedInstance();
    QList<QSScannedFilePtr> entries;
    std::optional<QHash<QString, QString>> names;
    for (const auto& installation : flatpakInstallations()) {
        for (const auto& application : platform::installedFlatpakApplications(installation)) {
            if (application.id == kApplicationBundleIdentifier) continue;
            auto used = newestUseInside(
                disk.homeDirectoryPathWithComponent(QStringLiteral(".var/app/") + application.id));
            const bool byData = used.has_value();
            if (!used) used = deploymentDate(application);
            if (!used || *used > threshold) continue;
            // The catalogues are large: read only once something is to be named.
            if (!names) names = flatpakNames();
            if (auto entry =
                    flatpakEntry(application, flatpakName(*names, application.id), *used, byData)) {
                entries.append(entry);
            }
        }
    }
    return entries;
}

QList<QSScannedFilePtr> unusedAppImages(const QDateTime& threshold) {
    const QList<Launcher> launchers = userLaunchers();
    QList<QSScannedFilePtr> entries;
    for (const QString& candidate : appImageCandidates(launchers)) {
        const auto facts = appImageFacts(candidate);
        if (!facts) continue;
        const QDateTime used = facts->accessRecorded ? facts->accessed : facts->modified;
        if (used > threshold) continue;
        if (auto entry = appImageEntry(candidate, *facts, launchers)) entries.append(entry);
    }
    return entries;
}

}  // namespace linux_apps
