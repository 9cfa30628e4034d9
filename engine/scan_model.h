#pragma once

#include <QDateTime>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/error.h"
#include "platform/file_identity.h"
#include "platform/services.h"

class QSScanResult;
class QSScannedFile;
class QSRemovedFile;
class QSRemovedItem;

using QSScannedFilePtr = std::shared_ptr<QSScannedFile>;
using QSScanResultPtr = std::shared_ptr<QSScanResult>;
using QSRemovedFilePtr = std::shared_ptr<QSRemovedFile>;
using QSRemovedItemPtr = std::shared_ptr<QSRemovedItem>;

// Keys of the resource values the standard scan keeps for each entry.
inline const QString kNSURLCreationDateKey = QStringLiteral("NSURLCreationDateKey");
inline const QString kNSURLContentModificationDateKey =
    QStringLiteral("NSURLContentModificationDateKey");
inline const QString kNSURLFileSizeKey = QStringLiteral("NSURLFileSizeKey");
inline const QString kNSURLIsDirectoryKey = QStringLiteral("NSURLIsDirectoryKey");

// Path markers: stored as a result's path by categories without a folder of their own.
inline const QString kPathMarkerLarge = QStringLiteral("large");
inline const QString kPathMarkerPartial = QStringLiteral("partial");
inline const QString kPathMarkerDeveloper = QStringLiteral("developer");
inline const QString kPathMarkerIOS = QStringLiteral("ios");
bool isPathMarker(const QString& path);

inline const QString kQSFileMovedNotification = QStringLiteral("QSFileMovedNotification");

// One entry of a result: a file or folder to delete, or a group of such entries.
class QSScannedFile {
public:
    virtual ~QSScannedFile() = default;
    bool selected() const { return selected_.load(); }
    // Subclasses may act on a change of selection (a login item switches on or off).
    virtual void setSelected(bool selected) { selected_.store(selected); }
    bool hasSelectedOverride() const { return hasSelectedOverride_; }
    void setHasSelectedOverride(bool value) { hasSelectedOverride_ = value; }
    bool isGroup() const { return isGroup_; }
    void setIsGroup(bool value) { isGroup_ = value; }
    const QList<QSScannedFilePtr>& files() const;
    // Makes the entry a group whose size is its members' total at this moment.
    void setFiles(const QList<QSScannedFilePtr>& files);
    // A reference to the entry's icon: an image file's path or a themed icon name.
    const QString& icon() const;
    void setIcon(const QString& icon) { extras().icon = icon; }
    const QString& fileName() const { return fileName_; }
    void setFileName(const QString& name) { fileName_ = name; }
    QString path() const;
    void setPath(const QString& path);
    // The same path given as its folder, in the file system's bytes, and name. Entries
    // of one folder share the folder's bytes (a walk's own copy), which keeps walks of
    // many small files small.
    void setPathInFolder(const QByteArray& folder, const QString& name);
    quint64 fileSize() const { return fileSize_; }
    void setFileSize(quint64 size) { fileSize_ = size; }
    // The resource values read for the entry, under the four kNSURL keys above; other
    // keys are not kept.
    QVariantMap attributes() const;
    void setAttributes(const QVariantMap& attributes);
    // The four resource values at once, as a walk reads them.
    void setResourceValues(const QDateTime& creationDate, const QDateTime& modificationDate,
                           quint64 fileSize, bool isDirectory);
    const QDateTime& modificationDate() const { return modificationDate_; }
    void setModificationDate(const QDateTime& date) { modificationDate_ = date; }
    // What the entry was when it was scanned: removal leaves it alone once it is no
    // longer that. Invalid when nothing was recorded.
    platform::FileIdentity identity() const;
    void setIdentity(const platform::FileIdentity& identity);
    // Records what is at the path now, for the entry and each member of a group that
    // has nothing recorded yet.
    void recordIdentityIfNeeded();
    const QDateTime& lastUsedDate() const;
    void setLastUsedDate(const QDateTime& date) { extras().lastUsedDate = date; }
    // Removes what the entry stands for, only while it is what the scan saw; false with
    // the reason when it is still there. An entry whose item belongs to a tool (an
    // installed application) has that tool remove it.
    virtual bool removeItem(platform::Error* error);

    // Preview: a file URL of the path (empty without a path) and the shown name.
    QUrl previewItemURL() const;
    QString previewItemTitle() const { return fileName_; }
    QString description() const;

private:
    std::atomic<bool> selected_{false};
    bool hasSelectedOverride_ = false;
    bool isGroup_ = false;
    // Resource flags in the low bits; the identity's file type (S_IFMT >> 12) in the
    // high four.
    quint8 resources_ = 0;
    enum Resource : quint8 {
        kHasSize = 1,
        kHasIsDirectory = 2,
        kIsDirectory = 4,
        kResourceMask = 0x0f,
        kIdentityTypeMask = 0xf0
    };
    // The identity is packed so that it costs 24 bytes: the device in the four bytes the
    // flags leave free (a kernel device number is 32 bits: 12 major, 20 minor).
    quint32 identityDevice_ = 0;
    // A watched file's path changes when it is moved. Entries share a few locks rather
    // than carry one each.
    QBasicMutex& pathMutex() const;
    // What only groups, applications and login items carry, kept apart so that plain
    // entries stay small.
    struct Extras {
        QList<QSScannedFilePtr> files;
        QString icon;
        QDateTime lastUsedDate;
    };
    Extras& extras();
    std::unique_ptr<Extras> extras_;
    QString fileName_;
    QByteArray folder_;  // null when the path has no folder part
    QString leaf_;
    quint64 fileSize_ = 0;
    // The resource values, held as fields rather than a map: hundreds of thousands of
    // entries can be alive at once. The item's own size as the scan saw it serves both
    // the size resource and the identity.
    quint64 itemSize_ = 0;
    QDateTime resourceCreationDate_;
    QDateTime resourceModificationDate_;
    QDateTime modificationDate_;
    quint64 identityInode_ = 0;
    qint64 identityModificationNs_ = 0;
};

// The outcome of one attempted removal. A failed record can watch its file, to learn
// when the user moves it away by hand.
class QSRemovedFile : public platform::FilePresenter,
                      public std::enable_shared_from_this<QSRemovedFile> {
public:
    QSRemovedFile(QSScannedFilePtr file, bool success, std::optional<platform::Error> error);
    ~QSRemovedFile() override;

    const QSScannedFilePtr& file() const { return file_; }
    bool success() const { return success_; }
    const std::optional<platform::Error>& error() const { return error_; }
    bool listening() const { return listening_; }

    void startListening();
    void stopListening();

    QUrl presentedItemURL() const;
    QString presentedItemPath() const override;
    // Follows the file to its new place and posts "QSFileMovedNotification".
    void presentedItemDidMoveTo(const QString& newPath) override;

private:
    QSScannedFilePtr file_;
    bool success_;
    std::optional<platform::Error> error_;
    bool listening_ = false;
    std::shared_ptr<platform::FileCoordinator> coordinator_;
};

// What deleting one result achieved.
class QSRemovedItem {
public:
    static QSRemovedItemPtr itemWithTitle(const QString& title, quint64 size,
                                          std::optional<QList<QSRemovedFilePtr>> files);

    const QString& title() const { return title_; }
    quint64 size() const { return size_; }
    // One record per attempted removal; empty when the result was removed as a whole.
    const std::optional<QList<QSRemovedFilePtr>>& files() const { return files_; }
    // The records that count as failures: a file that was already gone is not one.
    const QList<QSRemovedFilePtr>& failedFiles() const { return failedFiles_; }
    void updateFailedFiles();

private:
    QString title_;
    quint64 size_ = 0;
    std::optional<QList<QSRemovedFilePtr>> files_;
    QList<QSRemovedFilePtr> failedFiles_;
};

// What one category found.
class QSScanResult : public std::enable_shared_from_this<QSScanResult> {
public:
    using DeleteCompletion = std::function<void(bool success, QSRemovedItemPtr item)>;

    QSScanResult(const QString& title, const QString& key, quint64 totalSize,
                 const QList<QSScannedFilePtr>& details, const QString& path);
    virtual ~QSScanResult() = default;

    const QString& title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }
    const QString& key() const { return key_; }
    void setKey(const QString& key) { key_ = key; }
    quint64 totalSize() const { return totalSize_; }
    void setTotalSize(quint64 size) { totalSize_ = size; }
    const QList<QSScannedFilePtr>& detailArray() const { return detailArray_; }
    void setDetailArray(const QList<QSScannedFilePtr>& details) { detailArray_ = details; }
    const QString& path() const { return path_; }
    bool disabled() const { return disabled_; }
    void setDisabled(bool disabled) { disabled_ = disabled; }
    // Why the category could not look (its search failed or timed out); null when it
    // could. A failed result is disabled: it found nothing it can vouch for.
    const QString& failureReason() const { return failureReason_; }
    void setFailureReason(const QString& reason) { failureReason_ = reason; }
    QString description() const;

    // Whether deleting the result ever removes files (login items are switched instead).
    virtual bool removesFiles() const { return true; }
    // What removing this result alone would remove now: the entries a row shows (those
    // of a size other than 0) and that are ticked, a group standing for its members.
    // Nothing for a disabled result or one that never removes files.
    QList<QSScannedFilePtr> filesToRemove() const;

    // Ticks or unticks every entry at once, as "select all" and "deselect all" do. A
    // result whose entries are switches (login items) is left as it is: each of those is
    // switched on its own, never in bulk.
    void setAllFilesSelected(bool selected);

    // Deletes what filesToRemove() names at this moment and calls the block exactly once.
    void deleteWithCompletionBlock(DeleteCompletion block);
    // Removes exactly these entries (taken by a removal plan), each only while it is
    // still what the scan saw, and calls the block exactly once. Once `stop` is set, the
    // entries not yet begun are left alone (and not recorded).
    using StopFlag = std::shared_ptr<const std::atomic<bool>>;
    virtual void deleteFiles(const QList<QSScannedFilePtr>& files, DeleteCompletion block,
                             StopFlag stop = nullptr);

private:
    QSRemovedItemPtr removeFiles(const QList<QSScannedFilePtr>& files, const StopFlag& stop) const;

    QString title_;
    QString key_;
    quint64 totalSize_;
    QList<QSScannedFilePtr> detailArray_;
    QString path_;
    bool disabled_;
    QString failureReason_;
};

// A result whose files are never deleted (they are switched off instead).
class QSUnremovableScanResult : public QSScanResult {
public:
    using QSScanResult::QSScanResult;
    bool removesFiles() const override { return false; }
    void deleteFiles(const QList<QSScannedFilePtr>& files, DeleteCompletion block,
                     StopFlag stop = nullptr) override;
};

// Base of every scan category. Most categories name their folder and rely on the
// standard scan, which lists the folder's direct entries and measures each.
class QSScanItem : public std::enable_shared_from_this<QSScanItem> {
public:
    using ScanCompletion = std::function<void(QSScanResultPtr result)>;

    virtual ~QSScanItem() = default;
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSScanItem>(); }

    virtual QString title() const { return QString(); }
    virtual QString key() const { return QString(); }
    virtual QString path() const { return QString(); }
    virtual QStringList paths() const { return QStringList(); }
    virtual bool hasDetails() const { return false; }
    virtual bool selectedByDefault() const { return true; }

    bool isSandboxed() const { return isSandboxed_.load(); }
    void setIsSandboxed(bool sandboxed) { isSandboxed_.store(sandboxed); }
    QSScanResultPtr result() const;
    void setResult(const QSScanResultPtr& result);

    // Starts the scan and calls the block exactly once with the result. The folders the
    // category looks at are anchored first, and every entry of the result carries what
    // it was when it was found.
    void scanWithCompletionBlock(ScanCompletion block);
    virtual QSScanResultPtr actuallyScan();
    virtual QList<QSScannedFilePtr> enumerateDirectoryWithPath(const QString& path);
    virtual bool fileIsDeletableAtPath(const QString&) { return true; }
    virtual QSScannedFilePtr scannedFileWithPath(const QString& path,
                                                 const QVariantMap& attributes);
    QString description() const;

private:
    std::atomic<bool> isSandboxed_{false};
    mutable std::mutex resultMutex_;
    QSScanResultPtr result_;
};

// "org.sweepwell." + prefix + the title without blanks, lower-cased.
QString queueLabelForTitle(const QString& prefix, const QString& title);
