#include "engine/categories/trash_item.h"

#include <sys/stat.h>
#include <QSet>

#include "engine/disk_utilities.h"
#include "engine/removal_log.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/services.h"

namespace {

constexpr qint64 kMaxInfoFileBytes = 64 * 1024;
constexpr qint64 kMaxDirectorySizesBytes = 4 * 1024 * 1024;

struct TrashInfo {
    QString originalPath;
    QDateTime deletionDate;
};

// The [Trash Info] group of an info file: "Path" percent-encoded (bytes, like every file
// name), "DeletionDate" as YYYY-MM-DDThh:mm:ss in local time.
TrashInfo parseTrashInfo(const QByteArray& content) {
    TrashInfo info;
    bool inGroup = false;
    for (QByteArray line : content.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            inGroup = line == "[Trash Info]";
        } else if (inGroup && line.startsWith("Path=")) {
            info.originalPath = platform::decodePath(QByteArray::fromPercentEncoding(line.mid(5)));
        } else if (inGroup && line.startsWith("DeletionDate=")) {
            info.deletionDate =
                QDateTime::fromString(QString::fromLatin1(line.mid(13)), Qt::ISODate);
        }
    }
    return info;
}

// The info file of a trashed entry, as it is now; null when there is no regular file.
QSScannedFilePtr infoFileAt(const QString& path) {
    const auto identity = platform::identityOfItem(path);
    if (!identity || !S_ISREG(identity->type)) return nullptr;
    auto info = std::make_shared<QSScannedFile>();
    info->setPath(path);
    info->setFileName(platform::lastPathComponent(path));
    info->setIdentity(*identity);
    info->setFileSize(identity->size);
    info->setSelected(true);
    return info;
}

bool isUsersOwnWritableFolder(const QString& path, quint32 uid) {
    const auto ownership = platform::ownershipOfItem(path);
    return ownership && S_ISDIR(ownership->mode) && ownership->owner == uid &&
           platform::isWritableFolder(path);
}

bool isStickyFolder(const QString& path) {
    const auto ownership = platform::ownershipOfItem(path);
    return ownership && S_ISDIR(ownership->mode) && (ownership->mode & S_ISVTX);
}

// Drops the lines of folders no longer in the trash from its "directorysizes" cache
// ("size mtime percent-encoded-name" a line), and the cache itself once it is empty. A
// cache that is not a plain file is left alone.
void updateDirectorySizes(const QString& trash) {
    const QString cache = platform::appendPathComponent(trash, QStringLiteral("directorysizes"));
    const auto identity = platform::identityOfItem(cache);
    if (!identity || !S_ISREG(identity->type)) return;
    const auto content = platform::readFileContents(cache, kMaxDirectorySizesBytes);
    if (!content) return;
    const QString files = platform::appendPathComponent(trash, QStringLiteral("files"));
    QByteArray kept;
    bool dropped = false;
    for (const QByteArray& line : content->split('\n')) {
        if (line.isEmpty()) continue;
        const qsizetype blank = line.lastIndexOf(' ');
        const QString name =
            platform::decodePath(QByteArray::fromPercentEncoding(line.mid(blank + 1)));
        if (blank < 0 || name.contains(u'/') ||
            platform::itemKind(platform::appendPathComponent(files, name)) ==
                platform::ItemKind::Missing) {
            dropped = true;
            continue;
        }
        kept += line + '\n';
    }
    if (!dropped) return;
    platform::Error error;
    if (kept.isEmpty()) {
        platform::removeFile(cache, &error);
    } else {
        platform::writeFileAtomically(cache, kept);
    }
}

}  // namespace

// QSTrashScanResult

void QSTrashScanResult::deleteFiles(const QList<QSScannedFilePtr>& files, DeleteCompletion block,
                                    StopFlag stop) {
    auto self = std::static_pointer_cast<const QSTrashScanResult>(shared_from_this());
    QSScanResult::deleteFiles(
        files,
        [self, block = std::move(block)](bool success, QSRemovedItemPtr removed) {
            block(success, self->withInfoFilesRemoved(removed));
        },
        std::move(stop));
}

QSRemovedItemPtr QSTrashScanResult::withInfoFilesRemoved(const QSRemovedItemPtr& removed) const {
    if (!removed->files()) return removed;
    QList<QSRemovedFilePtr> records = *removed->files();
    quint64 freed = removed->size();
    QSet<QString> trashes;
    auto& disk = QSDiskUtilities::sharedInstance();
    for (const auto& record : *removed->files()) {
        const auto trashed = std::dynamic_pointer_cast<QSTrashedFile>(record->file());
        if (!trashed) continue;
        // An entry that is still there keeps its info file: it stays in the trash as it was.
        if (!record->success() && !(record->error() && record->error()->meansNotFound())) continue;
        trashes.insert(trashed->trashFolder());
        const QSScannedFilePtr& info = trashed->info();
        if (!info) continue;
        platform::Error error;
        const bool success = disk.removeItemAtPath(info->path(), info->identity(), &error);
        const auto outcome = success ? std::nullopt : std::optional<platform::Error>(error);
        QSRemovalLog::sharedLog().recordAttempt(key(), *info, outcome);
        records.append(std::make_shared<QSRemovedFile>(info, success, outcome));
        if (success) freed += info->fileSize();
    }
    for (const QString& trash : trashes)
        updateDirectorySizes(trash);
    return QSRemovedItem::itemWithTitle(removed->title(), freed, records);
}

// QSTrashItem

QString QSTrashItem::path() const {
    return QSDiskUtilities::sharedInstance().trashPath();
}

QStringList QSTrashItem::designFolders() const {
    const auto& disk = QSDiskUtilities::sharedInstance();
    QStringList folders;
    const QString trash = disk.trashPath();
    if (!trash.isEmpty()) folders.append(trash);
    folders.append(disk.libraryPathWithComponent(
        QStringLiteral("/Mobile Documents/com~apple~CloudDocs/.Trash")));
    folders.append(
        disk.libraryPathWithComponent(QStringLiteral("CloudStorage/iCloud Drive/.Trash")));
    return folders;
}

QStringList QSTrashItem::paths() const {
    return designFolders() + freedesktopTrashFolders();
}

QStringList QSTrashItem::freedesktopTrashFolders() const {
    auto& disk = QSDiskUtilities::sharedInstance();
    const quint32 uid = quint32(disk.uid());
    // A trash reached by two paths (a volume mounted twice, the home on its own volume)
    // is listed once; so is one the design's folders already list.
    QSet<QPair<quint64, quint64>> seen;
    for (const QString& folder : designFolders()) {
        if (const auto identity = platform::identityOfItem(folder))
            seen.insert({identity->device, identity->inode});
    }
    QStringList folders;
    const auto add = [&](const QString& folder) {
        const auto identity = platform::identityOfItem(folder);
        if (!identity || !identity->isDirectory()) return;
        if (seen.contains({identity->device, identity->inode})) return;
        seen.insert({identity->device, identity->inode});
        folders.append(folder);
    };
    // The home's trash is whoever owns the home's: a home of another machine has other
    // user ids.
    add(platform::appendPathComponent(disk.baseDirectories().dataHome, QStringLiteral("Trash")));
    const auto volumes = platform::services().volumes;
    for (const auto& volume :
         volumes ? volumes->mountedVolumes() : QList<platform::MountedVolume>()) {
        const QString shared = platform::appendPathComponent(volume.path, QStringLiteral(".Trash"));
        const QString own = QStringLiteral(".Trash-") + QString::number(uid);
        for (const QString& candidate :
             {isStickyFolder(shared) ? platform::appendPathComponent(shared, QString::number(uid))
                                     : QString(),
              platform::appendPathComponent(volume.path, own)}) {
            if (!candidate.isNull() && isUsersOwnWritableFolder(candidate, uid)) add(candidate);
        }
    }
    return folders;
}

QSScanResultPtr QSTrashItem::actuallyScan() {
    QList<QSScannedFilePtr> details;
    for (const QString& folder : designFolders())
        details += enumerateDirectoryWithPath(folder);
    for (const QString& trash : freedesktopTrashFolders())
        details += trashedEntries(trash);
    return std::make_shared<QSTrashScanResult>(title(), key(), 0, details, path());
}

QList<QSScannedFilePtr> QSTrashItem::trashedEntries(const QString& trash) {
    QList<QSScannedFilePtr> entries;
    const auto& disk = QSDiskUtilities::sharedInstance();
    const QString infoFolder = platform::appendPathComponent(trash, QStringLiteral("info"));
    std::vector<platform::DirectoryEntry> listed;
    // A file thrown away keeps its name, a leading period included.
    platform::listDirectory(platform::appendPathComponent(trash, QStringLiteral("files")), &listed,
                            platform::HiddenNames::Include);
    for (const auto& entry : listed) {
        auto file = std::make_shared<QSTrashedFile>();
        file->setPath(entry.path);
        file->setFileName(entry.name);
        file->setAttributes({{kNSURLCreationDateKey, entry.creationDate},
                             {kNSURLContentModificationDateKey, entry.modificationDate}});
        file->setModificationDate(entry.modificationDate);
        file->setSelected(selectedByDefault());
        file->setFileSize(disk.fileSizeForPath(entry.path));
        file->setIdentity(entry.identity);
        file->setTrashFolder(trash);
        const QString infoPath =
            platform::appendPathComponent(infoFolder, entry.name + QStringLiteral(".trashinfo"));
        if (const auto info = infoFileAt(infoPath)) {
            file->setInfo(info);
            const auto content = platform::readFileContents(infoPath, kMaxInfoFileBytes);
            const TrashInfo parsed = parseTrashInfo(content.value_or(QByteArray()));
            file->setOriginalPath(parsed.originalPath);
            file->setDeletionDate(parsed.deletionDate);
            const QString originalName = platform::lastPathComponent(parsed.originalPath);
            if (!originalName.isEmpty()) file->setFileName(originalName);
        }
        entries.append(file);
    }
    listed.clear();
    platform::listDirectory(platform::appendPathComponent(trash, QStringLiteral("expunged")),
                            &listed, platform::HiddenNames::Include);
    for (const auto& entry : listed) {
        auto file = scannedFileWithPath(
            entry.path, {{kNSURLCreationDateKey, entry.creationDate},
                         {kNSURLContentModificationDateKey, entry.modificationDate}});
        file->setIdentity(entry.identity);
        entries.append(file);
    }
    return entries;
}
