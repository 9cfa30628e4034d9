#pragma once

#include "engine/scan_model.h"

// An entry of a freedesktop trash. It is shown by the name it had before it was thrown
// away, and goes together with the info file that records that name: an info file left
// without its entry would bring a ghost back into every file manager's trash view.
class QSTrashedFile : public QSScannedFile {
public:
    // The trash folder that holds the entry's "files" folder.
    const QString& trashFolder() const { return trashFolder_; }
    void setTrashFolder(const QString& folder) { trashFolder_ = folder; }
    // Where the entry was before it was thrown away, as its info file says (relative to
    // the volume for the trash of a volume); null without an info file.
    const QString& originalPath() const { return originalPath_; }
    void setOriginalPath(const QString& path) { originalPath_ = path; }
    // When it was thrown away, in local time; invalid when unknown.
    const QDateTime& deletionDate() const { return deletionDate_; }
    void setDeletionDate(const QDateTime& date) { deletionDate_ = date; }
    // The entry's info/NAME.trashinfo; null when it has none.
    const QSScannedFilePtr& info() const { return info_; }
    void setInfo(const QSScannedFilePtr& info) { info_ = info; }

private:
    QString trashFolder_;
    QString originalPath_;
    QDateTime deletionDate_;
    QSScannedFilePtr info_;
};

// The result of the Trash category. Once the entries given are removed, so is the info
// file of each trashed entry that is gone (only while it is what the scan saw), and each
// trash's cache of folder sizes forgets the folders that are gone.
class QSTrashScanResult : public QSScanResult {
public:
    using QSScanResult::QSScanResult;
    void deleteFiles(const QList<QSScannedFilePtr>& files, DeleteCompletion block,
                     StopFlag stop = nullptr) override;

private:
    QSRemovedItemPtr withInfoFilesRemoved(const QSRemovedItemPtr& removed) const;
};

// The user's Trash and the iCloud Drive trash folders, then the freedesktop trash
// folders: the home's own and those of the mounted volumes the user can write.
class QSTrashItem : public QSScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSTrashItem>(); }

    QString title() const override { return QStringLiteral("Trash"); }
    QString key() const override { return QStringLiteral("trash"); }
    QString path() const override;
    // The user's Trash when it exists, then the two iCloud Drive trash folders, which are
    // listed whether or not they exist, then the freedesktop trash folders that exist.
    QStringList paths() const override;
    bool hasDetails() const override { return true; }
    QSScanResultPtr actuallyScan() override;

    // The freedesktop trash folders that exist, each once and none a link:
    // $XDG_DATA_HOME/Trash, then per mounted volume $topdir/.Trash/$uid (only below a
    // sticky folder that is not a link, so that no other user can have put it there) and
    // $topdir/.Trash-$uid, each a folder of this user's own that the user can write in.
    QStringList freedesktopTrashFolders() const;

private:
    QStringList designFolders() const;
    // The entries of one freedesktop trash: its "files" folder, each with its info file,
    // then what an interrupted emptying left in its "expunged" folder.
    QList<QSScannedFilePtr> trashedEntries(const QString& trash);
};
