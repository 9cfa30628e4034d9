#include "engine/categories/application_logs_item.h"

#include <dirent.h>
#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "engine/categories/application_icon.h"
#include "engine/categories/linux_home_places.h"
#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/unique_fd.h"

namespace {

const QString kOwnFolder = QStringLiteral("sweepwell");
const QString kSessionLog = QStringLiteral(".xsession-errors");
const QString kOldSessionLog = QStringLiteral(".xsession-errors.old");

// Report folders of browsers (Firefox, Thunderbird, Chromium), Electron and Firefox's
// per-profile minidumps.
const QStringList& crashReportNames() {
    static const QStringList names{QStringLiteral("Crash Reports"), QStringLiteral("Crashpad"),
                                   QStringLiteral("minidumps")};
    return names;
}

// Where the Firefox family and Thunderbird keep their profiles, relative to a home.
const QStringList& mozillaRoots() {
    static const QStringList roots{QStringLiteral(".mozilla/firefox"),
                                   QStringLiteral(".thunderbird"), QStringLiteral(".librewolf"),
                                   QStringLiteral(".waterfox")};
    return roots;
}

bool isCoreName(const QString& name) {
    if (name == QLatin1String("core")) return true;
    if (!name.startsWith(QLatin1String("core.")) || name.size() == 5) return false;
    return std::all_of(name.begin() + 5, name.end(), [](QChar c) { return c.isDigit(); });
}

// Log files, and folders of them, by name. A history is what the user typed, whatever
// its name ends with.
bool isLogName(const QString& name) {
    if (name.contains(QLatin1String("history"), Qt::CaseInsensitive)) return false;
    return name.endsWith(QLatin1String(".log")) || name.endsWith(QLatin1String(".log.old")) ||
           name == QLatin1String("log") || name == QLatin1String("logs");
}

QStringList homeCandidates() {
    const QString home = QSDiskUtilities::sharedInstance().homeDirectoryPath();
    QStringList candidates;
    for (const QString& name : {kOldSessionLog, kSessionLog}) {
        const QString path = platform::appendPathComponent(home, name);
        if (platform::itemKind(path) == platform::ItemKind::Other) candidates.append(path);
    }
    std::vector<platform::DirectoryEntry> entries;
    platform::listDirectory(home, &entries);
    for (const auto& entry : entries) {
        if (!entry.isDirectory && isCoreName(entry.name)) candidates.append(entry.path);
    }
    return candidates;
}

}  // namespace

QString QSApplicationLogsItem::path() const {
    const auto& disk = QSDiskUtilities::sharedInstance();
    const QString logs = disk.applicationLogsPath();
    return logs.isNull() ? disk.verifyPathExistsWithPath(disk.baseDirectories().stateHome) : logs;
}

QStringList QSApplicationLogsItem::paths() const {
    const auto& disk = QSDiskUtilities::sharedInstance();
    const xdg::BaseDirectories base = disk.baseDirectories();
    QStringList folders = linux_home::existingFolders(
        {disk.applicationLogsPath(), base.stateHome,
         platform::appendPathComponent(base.dataHome, QStringLiteral("xorg")), base.configHome});
    if (!homeCandidates().isEmpty()) folders.append(disk.homeDirectoryPath());
    return folders;
}

QSScanResultPtr QSApplicationLogsItem::actuallyScan() {
    const QString logs = QSDiskUtilities::sharedInstance().applicationLogsPath();
    QList<QSScannedFilePtr> details;
    if (!logs.isNull()) details = enumerateDirectoryWithPath(logs);
    details += linuxLogFiles();
    return std::make_shared<QSScanResult>(title(), key(), 0, details, path());
}

QSScannedFilePtr QSApplicationLogsItem::scannedFileWithPath(const QString& path,
                                                            const QVariantMap& attributes) {
    QSScannedFilePtr file = QSScanItem::scannedFileWithPath(path, attributes);
    file->setIcon(applicationIconForBundleIdentifier(file->fileName()));
    return file;
}

QList<QSScannedFilePtr> QSApplicationLogsItem::linuxLogFiles() {
    return homeLogFiles() + stateLogFiles() + crashReportFolders();
}

// The running session writes its errors to ~/.xsession-errors: that one stays while a
// process holds it open.
QList<QSScannedFilePtr> QSApplicationLogsItem::homeLogFiles() {
    QList<QSScannedFilePtr> files;
    for (const QString& path : homeCandidates()) {
        const QString name = platform::lastPathComponent(path);
        if (name == kSessionLog && isOpenByAnyProcess(path)) continue;
        if (isCoreName(name) && !isCoreDump(path)) continue;
        appendEntry(path, &files);
    }
    return files;
}

// Only logs: the state folder also holds histories, undo and swap files and the
// applications' own state, which are never listed.
QList<QSScannedFilePtr> QSApplicationLogsItem::stateLogFiles() {
    const xdg::BaseDirectories base = QSDiskUtilities::sharedInstance().baseDirectories();
    QList<QSScannedFilePtr> files;
    QStringList folders{platform::appendPathComponent(base.dataHome, QStringLiteral("xorg"))};
    std::vector<platform::DirectoryEntry> applications;
    platform::listDirectory(base.stateHome, &applications);
    for (const auto& application : applications) {
        // Our own folder holds the record of every removal.
        if (application.isDirectory && application.name != kOwnFolder)
            folders.append(application.path);
    }
    for (const QString& folder : folders) {
        std::vector<platform::DirectoryEntry> entries;
        platform::listDirectory(folder, &entries);
        for (const auto& entry : entries) {
            if (isLogName(entry.name)) appendEntry(entry.path, &files);
        }
    }
    return files;
}

QList<QSScannedFilePtr> QSApplicationLogsItem::crashReportFolders() {
    QList<QSScannedFilePtr> files;
    for (const auto& home : linux_home::applicationHomes()) {
        QStringList roots{platform::appendPathComponent(
            home.configHome, QStringLiteral("BraveSoftware/Brave-Browser"))};
        std::vector<platform::DirectoryEntry> entries;
        platform::listDirectory(home.configHome, &entries);
        for (const auto& entry : entries) {
            if (entry.isDirectory && entry.name != kOwnFolder) roots.append(entry.path);
        }
        for (const QString& relative : mozillaRoots()) {
            const QString root = platform::appendPathComponent(home.root, relative);
            roots.append(root);
            entries.clear();
            platform::listDirectory(root, &entries);
            for (const auto& profile : entries) {
                if (profile.isDirectory && !crashReportNames().contains(profile.name))
                    roots.append(profile.path);
            }
        }
        for (const QString& root : roots) {
            for (const QString& name : crashReportNames()) {
                const QString path = platform::appendPathComponent(root, name);
                if (platform::itemKind(path) == platform::ItemKind::Directory)
                    appendEntry(path, &files);
            }
        }
    }
    return files;
}

void QSApplicationLogsItem::appendEntry(const QString& path, QList<QSScannedFilePtr>* files) {
    const auto build = [this](const QString& p, const QVariantMap& a) {
        return QSScanItem::scannedFileWithPath(p, a);
    };
    if (auto file = linux_home::namedEntry(path, linux_home::pathRelativeToHome(path), build))
        files->append(file);
}

bool QSApplicationLogsItem::isCoreDump(const QString& path) {
    // Never blocks on a FIFO named like a core, and never reads through a link.
    const platform::UniqueFd fd(::open(platform::encodePath(path).constData(),
                                       O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    unsigned char header[EI_NIDENT + 2];
    if (::read(fd.get(), header, sizeof header) != ssize_t(sizeof header)) return false;
    if (std::memcmp(header, ELFMAG, SELFMAG) != 0) return false;
    const unsigned first = header[EI_NIDENT];
    const unsigned second = header[EI_NIDENT + 1];
    switch (header[EI_DATA]) {
        case ELFDATA2LSB:
            return (first | second << 8) == ET_CORE;
        case ELFDATA2MSB:
            return (first << 8 | second) == ET_CORE;
        default:
            return false;
    }
}

// Looks at the open descriptors of every process it may look into (those of this user),
// comparing what each one is open on with the file.
bool QSApplicationLogsItem::isOpenByAnyProcess(const QString& path) {
    const auto identity = platform::identityOfItem(path);
    if (!identity) return false;
    DIR* processes = ::opendir("/proc");
    if (!processes) return false;
    bool found = false;
    while (!found) {
        const dirent* process = ::readdir(processes);
        if (!process) break;
        if (process->d_name[0] < '0' || process->d_name[0] > '9') continue;
        const QByteArray folder = QByteArray("/proc/") + process->d_name + "/fd";
        DIR* descriptors = ::opendir(folder.constData());
        if (!descriptors) continue;
        while (const dirent* descriptor = ::readdir(descriptors)) {
            struct statx st;
            if (descriptor->d_name[0] == '.' ||
                ::statx(dirfd(descriptors), descriptor->d_name, 0,
                        platform::FileIdentity::kStatxMask, &st) != 0) {
                continue;
            }
            const auto open = platform::FileIdentity::fromStatx(st);
            if (open.device == identity->device && open.inode == identity->inode) {
                found = true;
                break;
            }
        }
        ::closedir(descriptors);
    }
    ::closedir(processes);
    return found;
}
