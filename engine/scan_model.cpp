#include "engine/scan_model.h"

#include <cxxabi.h>
#include <QDebug>
#include <typeinfo>

#include "base/dispatch.h"
#include "base/notification_center.h"
#include "engine/disk_utilities.h"
#include "engine/removal_log.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/folder_anchors.h"

namespace {

QString addressOf(const void* p) {
    return QStringLiteral("0x%1").arg(quintptr(p), 0, 16);
}

QString className(const std::type_info& type) {
    int status = 0;
    char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    const QString name = QString::fromLatin1(status == 0 ? demangled : type.name());
    std::free(demangled);
    return name;
}

// A folder of which only some items could be removed freed what is no longer in it.
quint64 partlyFreed(const QSScannedFile& file, const platform::Error& error) {
    if (error.code != platform::Error::kFileWriteNoPermission || !file.identity().isDirectory()) {
        return 0;
    }
    const quint64 remaining = QSDiskUtilities::sharedInstance().fileSizeForPath(file.path());
    return file.fileSize() > remaining ? file.fileSize() - remaining : 0;
}

}  // namespace

bool isPathMarker(const QString& path) {
    return path == kPathMarkerLarge || path == kPathMarkerPartial || path == kPathMarkerDeveloper ||
           path == kPathMarkerIOS;
}

QString queueLabelForTitle(const QString& prefix, const QString& title) {
    QString compact = title;
    compact.remove(QChar(u' '));
    return dispatch::queueLabel(prefix + compact.toLower());
}

// QSScannedFile

void QSScannedFile::setFiles(const QList<QSScannedFilePtr>& files) {
    isGroup_ = true;
    extras().files = files;
    quint64 total = 0;
    for (const auto& member : files)
        total += member->fileSize();
    fileSize_ = total;
}

const QList<QSScannedFilePtr>& QSScannedFile::files() const {
    static const QList<QSScannedFilePtr> none;
    return extras_ ? extras_->files : none;
}

const QString& QSScannedFile::icon() const {
    static const QString none;
    return extras_ ? extras_->icon : none;
}

const QDateTime& QSScannedFile::lastUsedDate() const {
    static const QDateTime none;
    return extras_ ? extras_->lastUsedDate : none;
}

QBasicMutex& QSScannedFile::pathMutex() const {
    static QBasicMutex locks[64];
    // Entries come from the heap, 16-byte aligned: the low four bits never vary.
    return locks[(quintptr(this) >> 4) % 64];
}

QSScannedFile::Extras& QSScannedFile::extras() {
    if (!extras_) extras_ = std::make_unique<Extras>();
    return *extras_;
}

QString QSScannedFile::path() const {
    QByteArray folder;
    QString leaf;
    {
        // Decoded outside the lock, which other entries share.
        std::lock_guard lock(pathMutex());
        folder = folder_;
        leaf = leaf_;
    }
    return folder.isNull() ? leaf : platform::decodePath(folder) + u'/' + leaf;
}

void QSScannedFile::setPath(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash <= 0) {
        std::lock_guard lock(pathMutex());
        folder_ = QByteArray();
        leaf_ = path;
        return;
    }
    setPathInFolder(platform::encodePath(path.left(slash)), path.mid(slash + 1));
}

void QSScannedFile::setPathInFolder(const QByteArray& folder, const QString& name) {
    std::lock_guard lock(pathMutex());
    folder_ = folder;
    leaf_ = name;
}

QVariantMap QSScannedFile::attributes() const {
    QVariantMap map;
    if (resourceCreationDate_.isValid()) map.insert(kNSURLCreationDateKey, resourceCreationDate_);
    if (resourceModificationDate_.isValid()) {
        map.insert(kNSURLContentModificationDateKey, resourceModificationDate_);
    }
    if (resources_ & kHasSize) map.insert(kNSURLFileSizeKey, itemSize_);
    if (resources_ & kHasIsDirectory) {
        map.insert(kNSURLIsDirectoryKey, bool(resources_ & kIsDirectory));
    }
    return map;
}

void QSScannedFile::setResourceValues(const QDateTime& creationDate,
                                      const QDateTime& modificationDate, quint64 fileSize,
                                      bool isDirectory) {
    resourceCreationDate_ = creationDate;
    resourceModificationDate_ = modificationDate;
    itemSize_ = fileSize;
    resources_ = (resources_ & kIdentityTypeMask) | kHasSize | kHasIsDirectory |
                 (isDirectory ? kIsDirectory : 0);
}

void QSScannedFile::setAttributes(const QVariantMap& attributes) {
    resourceCreationDate_ = attributes.value(kNSURLCreationDateKey).toDateTime();
    resourceModificationDate_ = attributes.value(kNSURLContentModificationDateKey).toDateTime();
    resources_ &= kIdentityTypeMask;
    if (attributes.contains(kNSURLFileSizeKey)) {
        resources_ |= kHasSize;
        itemSize_ = attributes.value(kNSURLFileSizeKey).toULongLong();
    }
    if (attributes.contains(kNSURLIsDirectoryKey)) {
        resources_ |= kHasIsDirectory;
        if (attributes.value(kNSURLIsDirectoryKey).toBool()) resources_ |= kIsDirectory;
    }
}

platform::FileIdentity QSScannedFile::identity() const {
    platform::FileIdentity identity;
    identity.type = quint32(resources_ >> 4) << 12;
    identity.device = (quint64(identityDevice_ >> 20) << 32) | (identityDevice_ & 0xfffff);
    identity.inode = identityInode_;
    identity.size = itemSize_;
    identity.modificationNs = identityModificationNs_;
    return identity;
}

void QSScannedFile::setIdentity(const platform::FileIdentity& identity) {
    const quint64 major = identity.device >> 32;
    const quint64 minor = identity.device & 0xffffffff;
    resources_ = (resources_ & kResourceMask) | quint8((identity.type >> 12) << 4);
    identityDevice_ = quint32((major << 20) | (minor & 0xfffff));
    identityInode_ = identity.inode;
    itemSize_ = identity.size;
    identityModificationNs_ = identity.modificationNs;
    // A device number the packing cannot hold would compare as another device; a
    // kernel's never is, but record nothing rather than something untrue.
    if (major >= (1u << 12) || minor >= (1u << 20)) resources_ &= kResourceMask;
}

void QSScannedFile::recordIdentityIfNeeded() {
    if (isGroup_) {
        for (const auto& member : files())
            member->recordIdentityIfNeeded();
        return;
    }
    if (identity().isValid()) return;
    const QString p = path();
    if (!p.startsWith(u'/')) return;
    if (const auto now = platform::identityOfItem(p)) setIdentity(*now);
}

bool QSScannedFile::removeItem(platform::Error* error) {
    return QSDiskUtilities::sharedInstance().removeItemAtPath(path(), identity(), error);
}

QUrl QSScannedFile::previewItemURL() const {
    const QString p = path();
    return p.isNull() ? QUrl() : QUrl::fromLocalFile(p);
}

QString QSScannedFile::description() const {
    QString attributes;
    QDebug(&attributes).noquote() << this->attributes();
    return QStringLiteral("<%1 %2: selected=%3, fileSize=%4, path=%5, attributes=%6>")
        .arg(className(typeid(*this)), addressOf(this))
        .arg(int(selected()))
        .arg(fileSize_)
        .arg(path(), attributes);
}

// QSRemovedFile

QSRemovedFile::QSRemovedFile(QSScannedFilePtr file, bool success,
                             std::optional<platform::Error> error)
    : file_(std::move(file)), success_(success), error_(std::move(error)) {}

QSRemovedFile::~QSRemovedFile() {
    if (listening_) stopListening();
}

void QSRemovedFile::startListening() {
    if (listening_) return;
    listening_ = true;
    coordinator_ = platform::services().fileCoordinator;
    if (coordinator_) coordinator_->addFilePresenter(this);
}

void QSRemovedFile::stopListening() {
    listening_ = false;
    if (!coordinator_) coordinator_ = platform::services().fileCoordinator;
    if (coordinator_) coordinator_->removeFilePresenter(this);
}

QUrl QSRemovedFile::presentedItemURL() const {
    return QUrl::fromLocalFile(presentedItemPath());
}

QString QSRemovedFile::presentedItemPath() const {
    return file_ ? file_->path() : QString();
}

void QSRemovedFile::presentedItemDidMoveTo(const QString& newPath) {
    stopListening();
    if (file_) file_->setPath(newPath);
    NotificationCenter::defaultCenter().postNotification(kQSFileMovedNotification, this);
}

// QSRemovedItem

QSRemovedItemPtr QSRemovedItem::itemWithTitle(const QString& title, quint64 size,
                                              std::optional<QList<QSRemovedFilePtr>> files) {
    auto item = std::make_shared<QSRemovedItem>();
    item->title_ = title;
    item->size_ = size;
    item->files_ = std::move(files);
    item->updateFailedFiles();
    return item;
}

void QSRemovedItem::updateFailedFiles() {
    failedFiles_.clear();
    if (!files_) return;
    for (const auto& record : *files_) {
        if (record->success()) continue;
        if (record->error() && record->error()->meansNotFound()) continue;
        failedFiles_.append(record);
    }
}

// QSScanResult

QSScanResult::QSScanResult(const QString& title, const QString& key, quint64 totalSize,
                           const QList<QSScannedFilePtr>& details, const QString& path)
    : title_(title),
      key_(key),
      totalSize_(totalSize),
      detailArray_(details),
      path_(path),
      disabled_(details.isEmpty()) {}

QString QSScanResult::description() const {
    return QStringLiteral("<%1 %2: title=%3, totalSize=%4, details=%5>")
        .arg(className(typeid(*this)), addressOf(this), title_)
        .arg(totalSize_)
        .arg(detailArray_.size());
}

QList<QSScannedFilePtr> QSScanResult::filesToRemove() const {
    QList<QSScannedFilePtr> files;
    if (disabled_ || !removesFiles()) return files;
    for (const auto& file : detailArray_) {
        // A row never shows an entry of size 0, so the user cannot have chosen it.
        if (file->fileSize() == 0 || !file->selected()) continue;
        if (file->isGroup()) {
            files += file->files();
        } else {
            files.append(file);
        }
    }
    return files;
}

void QSScanResult::setAllFilesSelected(bool selected) {
    if (!removesFiles()) return;
    for (const auto& file : detailArray_)
        file->setSelected(selected);
}

void QSScanResult::deleteWithCompletionBlock(DeleteCompletion block) {
    deleteFiles(filesToRemove(), std::move(block));
}

void QSScanResult::deleteFiles(const QList<QSScannedFilePtr>& files, DeleteCompletion block,
                               StopFlag stop) {
    // Nothing ever empties the result's folder or turns a path marker into a path: only
    // the entries taken are removed.
    if (path_.isNull() && detailArray_.isEmpty()) {
        block(true, QSRemovedItem::itemWithTitle(title_, 0, std::nullopt));
        return;
    }
    auto queue =
        dispatch::SerialQueue::create(queueLabelForTitle(QStringLiteral("delete."), title_));
    queue->async([self = shared_from_this(), files, block = std::move(block), stop] {
        block(true, self->removeFiles(files, stop));
    });
}

QSRemovedItemPtr QSScanResult::removeFiles(const QList<QSScannedFilePtr>& files,
                                           const StopFlag& stop) const {
    if (files.isEmpty() && detailArray_.isEmpty()) {
        return QSRemovedItem::itemWithTitle(title_, 0, std::nullopt);
    }
    QList<QSRemovedFilePtr> records;
    quint64 freed = 0;
    for (const auto& file : files) {
        if (stop && stop->load()) break;
        platform::Error error;
        const bool success = file->removeItem(&error);
        const auto outcome = success ? std::nullopt : std::optional<platform::Error>(error);
        QSRemovalLog::sharedLog().recordAttempt(key_, *file, outcome);
        records.append(std::make_shared<QSRemovedFile>(file, success, outcome));
        freed += success ? file->fileSize() : partlyFreed(*file, error);
    }
    return QSRemovedItem::itemWithTitle(title_, freed, records);
}

void QSUnremovableScanResult::deleteFiles(const QList<QSScannedFilePtr>&, DeleteCompletion block,
                                          StopFlag) {
    block(true, QSRemovedItem::itemWithTitle(title(), 0, std::nullopt));
}

// QSScanItem

QSScanResultPtr QSScanItem::result() const {
    std::lock_guard lock(resultMutex_);
    return result_;
}

void QSScanItem::setResult(const QSScanResultPtr& result) {
    std::lock_guard lock(resultMutex_);
    result_ = result;
}

void QSScanItem::scanWithCompletionBlock(ScanCompletion block) {
    if (path().isNull() && paths().isEmpty()) {
        auto empty =
            std::make_shared<QSScanResult>(title(), key(), 0, QList<QSScannedFilePtr>(), QString());
        empty->setDisabled(true);
        block(empty);
        return;
    }
    const QStringList folders = paths();
    for (const QString& folder : folders.isEmpty() ? QStringList{path()} : folders) {
        if (!isPathMarker(folder)) platform::anchorFolder(folder);
    }
    auto queue =
        dispatch::SerialQueue::create(queueLabelForTitle(QStringLiteral("scanner."), title()));
    queue->async([self = shared_from_this(), block = std::move(block)] {
        QSScanResultPtr result = self->actuallyScan();
        for (const auto& file : result->detailArray())
            file->recordIdentityIfNeeded();
        self->setResult(result);
        block(result);
    });
}

QSScanResultPtr QSScanItem::actuallyScan() {
    QList<QSScannedFilePtr> details;
    if (hasDetails()) {
        const QStringList folders = paths();
        if (!folders.isEmpty()) {
            for (const QString& folder : folders)
                details += enumerateDirectoryWithPath(folder);
        } else {
            details = enumerateDirectoryWithPath(path());
        }
    }
    return std::make_shared<QSScanResult>(title(), key(), 0, details, path());
}

QList<QSScannedFilePtr> QSScanItem::enumerateDirectoryWithPath(const QString& path) {
    QList<QSScannedFilePtr> files;
    std::vector<platform::DirectoryEntry> entries;
    if (path.isNull() || !platform::listDirectory(path, &entries)) return files;
    for (const auto& entry : entries) {
        if (!fileIsDeletableAtPath(entry.path)) continue;
        const QVariantMap attributes{{kNSURLCreationDateKey, entry.creationDate},
                                     {kNSURLContentModificationDateKey, entry.modificationDate}};
        auto file = scannedFileWithPath(entry.path, attributes);
        if (!file) continue;
        // The same look that listed the entry says what it was.
        if (!file->isGroup() && file->path() == entry.path) file->setIdentity(entry.identity);
        files.append(file);
    }
    return files;
}

QSScannedFilePtr QSScanItem::scannedFileWithPath(const QString& path,
                                                 const QVariantMap& attributes) {
    auto file = std::make_shared<QSScannedFile>();
    file->setPath(path);
    file->setFileName(platform::lastPathComponent(path));
    file->setAttributes(attributes);
    file->setModificationDate(attributes.value(kNSURLContentModificationDateKey).toDateTime());
    file->setSelected(selectedByDefault());
    file->setFileSize(QSDiskUtilities::sharedInstance().fileSizeForPath(path));
    return file;
}

QString QSScanItem::description() const {
    return QStringLiteral("<%1 %2 title=%3, path=%4>")
        .arg(className(typeid(*this)), addressOf(this), title(), path());
}
