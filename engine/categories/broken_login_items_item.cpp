#include "engine/categories/broken_login_items_item.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <algorithm>

#include "engine/categories/login_item_helper.h"
#include "engine/disk_utilities.h"
#include "engine/removal_log.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/packages.h"
#include "platform/property_list.h"
#include "platform/systemd_unit_files.h"
#include "platform/tree_walk.h"
#include "platform/xdg_autostart.h"

namespace {

const QString kOpen = QStringLiteral("/usr/bin/open");

// Every file below a folder with its size, not entering packages; hidden names included.
class ListingVisitor : public platform::WalkVisitor {
public:
    void visitEntry(const platform::WalkEntry& entry) override {
        struct statx st;
        if (entry.type == DT_DIR || !entry.stat(&st)) return;
        files.append({platform::decodePath(entry.path()), quint64(st.stx_size)});
    }
    bool shouldDescend(const platform::WalkEntry& entry) override {
        return !platform::isPackageName(entry.name);
    }
    QList<std::pair<QString, quint64>> files;
};

// The program a job starts: "Program", else the first of "ProgramArguments" (the second
// when the first only opens it).
QString programOf(const QVariantMap& job) {
    const QString program = job.value(QStringLiteral("Program")).toString();
    if (!program.isEmpty()) return program;
    const QVariantList arguments = job.value(QStringLiteral("ProgramArguments")).toList();
    if (arguments.isEmpty()) return QString();
    if (arguments.first().toString() == kOpen && arguments.size() > 1)
        return arguments[1].toString();
    return arguments.first().toString();
}

// The system's own opener always counts as present: a job that only runs it is not broken
// on a host that lacks the tool under that name. A program without a folder is never
// found: existence is not judged against whatever the working folder happens to be.
bool programExists(const QString& program) {
    if (program == kOpen) return true;
    return program.startsWith(u'/') && platform::fileExistsAtPath(program);
}

// Fills what a broken item shows: its full path as its name, and its own size (a link's,
// not what it leads to). False when nothing is there any more.
bool describeBroken(QSScannedFile& file, const QString& path) {
    const auto identity = platform::identityOfItem(path);
    if (!identity) return false;
    file.setPath(path);
    file.setFileName(path);
    file.setAttributes({{kNSURLFileSizeKey, identity->size}});
    file.setFileSize(identity->size);
    file.setIdentity(*identity);
    file.setSelected(true);
    return true;
}

QString userAutostartFolder() {
    return platform::appendPathComponent(
        QSDiskUtilities::sharedInstance().baseDirectories().configHome,
        QStringLiteral("autostart"));
}

bool isServiceUnitName(const QString& name) {
    return name.endsWith(QStringLiteral(".service")) && !name.startsWith(u'.');
}

}  // namespace

bool QSHiddenAutostartFile::switchOff(platform::Error* error) const {
    const QString user = platform::appendPathComponent(userFolder_, entryName_);
    const auto now = platform::identityOfItem(path());
    const bool userFileAppeared =
        path() != user && platform::itemKind(user) != platform::ItemKind::Missing;
    if (!now || !identity().stillDescribes(*now) || userFileAppeared) {
        if (error) *error = platform::Error::changedSinceScan();
        return false;
    }
    platform::XdgAutostartLoginItems list(userFolder_, systemFolders_);
    return list.removeItem({entryName_, std::nullopt, QString()}, error);
}

void QSBrokenLoginItemsResult::deleteFiles(const QList<QSScannedFilePtr>& files,
                                           DeleteCompletion block, StopFlag stop) {
    QList<QSScannedFilePtr> removed, hidden;
    for (const auto& file : files)
        (std::dynamic_pointer_cast<QSHiddenAutostartFile>(file) ? hidden : removed).append(file);
    auto self = std::static_pointer_cast<const QSBrokenLoginItemsResult>(shared_from_this());
    QSScanResult::deleteFiles(
        removed,
        [self, hidden, stop, block = std::move(block)](bool success, QSRemovedItemPtr item) {
            block(success, self->completed(item, hidden, stop));
        },
        stop);
}

QSRemovedItemPtr QSBrokenLoginItemsResult::completed(const QSRemovedItemPtr& removed,
                                                     const QList<QSScannedFilePtr>& hidden,
                                                     const StopFlag& stop) const {
    QList<QSRemovedFilePtr> records = removed->files().value_or(QList<QSRemovedFilePtr>());
    quint64 freed = removed->size();
    const auto record = [&](const QSScannedFilePtr& file, bool success,
                            const platform::Error& error) {
        const auto outcome = success ? std::nullopt : std::optional<platform::Error>(error);
        QSRemovalLog::sharedLog().recordAttempt(key(), *file, outcome);
        records.append(std::make_shared<QSRemovedFile>(file, success, outcome));
    };
    auto& disk = QSDiskUtilities::sharedInstance();
    for (const auto& unitRecord : removed->files().value_or(QList<QSRemovedFilePtr>())) {
        const auto unit = std::dynamic_pointer_cast<QSBrokenUnitFile>(unitRecord->file());
        // A unit that is still there stays enabled as it was.
        const bool gone =
            unitRecord->success() || (unitRecord->error() && unitRecord->error()->meansNotFound());
        if (!unit || !gone) continue;
        for (const auto& link : unit->wantsLinks()) {
            platform::Error error;
            const bool success = disk.removeItemAtPath(link->path(), link->identity(), &error);
            record(link, success, error);
            if (success) freed += link->fileSize();
        }
    }
    for (const auto& file : hidden) {
        if (stop && stop->load()) break;
        platform::Error error;
        const bool success =
            std::static_pointer_cast<QSHiddenAutostartFile>(file)->switchOff(&error);
        record(file, success, error);
    }
    return QSRemovedItem::itemWithTitle(title(), freed, records);
}

QString QSBrokenLoginItemsItem::path() const {
    return QSDiskUtilities::sharedInstance().libraryPathWithComponent(
        QStringLiteral("Preferences"));
}

QList<QSScannedFilePtr> QSBrokenLoginItemsItem::brokenItemsForPath(const QString& folder) {
    QList<QSScannedFilePtr> broken;
    const int fd =
        open(platform::encodePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return broken;
    ListingVisitor visitor;
    platform::walkTree(fd, platform::encodePath(folder), visitor);
    close(fd);
    for (const auto& [path, size] : visitor.files) {
        const auto job = platform::propertyListDictionaryAtPath(path);
        if (!job) continue;
        const QString program = programOf(*job);
        if (program.isEmpty() || programExists(program)) continue;
        auto file = std::make_shared<QSScannedFile>();
        file->setPath(path);
        file->setFileName(path);
        file->setAttributes({{kNSURLFileSizeKey, size}});
        file->setFileSize(size);
        file->setSelected(selectedByDefault());
        broken.append(file);
    }
    return broken;
}

QList<QSScannedFilePtr> QSBrokenLoginItemsItem::brokenAutostartEntries() {
    QList<QSScannedFilePtr> broken;
    const QString userFolder = userAutostartFolder();
    const QStringList systemFolders =
        platform::XdgAutostartLoginItems::systemFoldersFromEnvironment();
    const platform::XdgAutostartLoginItems list(userFolder, systemFolders);
    for (const auto& file : list.activeFiles()) {
        if (!platform::desktopEntryProgramIsMissing(file.entry)) continue;
        // Only the user's own entry is removed; any other is switched off for the user.
        QSScannedFilePtr entry;
        if (file.isUser && !file.coversSystemFile) {
            entry = std::make_shared<QSScannedFile>();
        } else {
            entry = std::make_shared<QSHiddenAutostartFile>(file.name, userFolder, systemFolders);
        }
        if (describeBroken(*entry, file.path)) broken.append(entry);
    }
    return broken;
}

QList<QSScannedFilePtr> QSBrokenLoginItemsItem::brokenUserUnits() {
    QList<QSScannedFilePtr> broken;
    const QString folder = QSLoginItemHelper::userUnitFolder();
    const QString home = QSDiskUtilities::sharedInstance().homeDirectoryPath();
    const QList<platform::WantsLink> links = platform::wantsLinks(folder);
    std::vector<platform::DirectoryEntry> entries;
    platform::listDirectory(folder, &entries, platform::HiddenNames::Include);
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const auto& unit : entries) {
        if (unit.isDirectory || !isServiceUnitName(unit.name)) continue;
        const auto programs = platform::serviceExecPrograms(unit.path, home);
        if (!programs ||
            std::all_of(programs->begin(), programs->end(), platform::unitProgramExists)) {
            continue;
        }
        auto file = std::make_shared<QSBrokenUnitFile>();
        if (!describeBroken(*file, unit.path)) continue;
        QList<QSScannedFilePtr> enabling;
        for (const auto& link : links) {
            auto linkFile = std::make_shared<QSScannedFile>();
            if (link.target == unit.path && describeBroken(*linkFile, link.path))
                enabling.append(linkFile);
        }
        file->setWantsLinks(enabling);
        broken.append(file);
    }
    return broken;
}

QList<QSScannedFilePtr> QSBrokenLoginItemsItem::danglingWantsLinks() {
    QList<QSScannedFilePtr> broken;
    for (const auto& link : platform::wantsLinks(QSLoginItemHelper::userUnitFolder())) {
        if (platform::fileExistsAtPath(link.path)) continue;
        auto file = std::make_shared<QSScannedFile>();
        if (describeBroken(*file, link.path)) broken.append(file);
    }
    return broken;
}

QSScanResultPtr QSBrokenLoginItemsItem::actuallyScan() {
    const QString home = QSDiskUtilities::sharedInstance().homeDirectoryPath();
    QList<QSScannedFilePtr> details;
    for (const QString& folder :
         {QStringLiteral("Library/LaunchAgents"), QStringLiteral("Library/LaunchDaemons")}) {
        details += brokenItemsForPath(platform::appendPathComponent(home, folder));
    }
    details += brokenAutostartEntries();
    details += brokenUserUnits();
    details += danglingWantsLinks();
    return std::make_shared<QSBrokenLoginItemsResult>(title(), key(), 0, details, kPathMarkerLarge);
}
