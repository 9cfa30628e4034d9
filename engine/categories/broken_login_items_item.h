#pragma once

#include "engine/scan_model.h"

// A broken autostart entry that is switched off instead of removed: a file of the system,
// or the user's own file standing in for one, gets "Hidden=true" in a user file of the
// same name. Removing either would not stop it (the system's file comes back) or is not
// ours to do.
class QSHiddenAutostartFile : public QSScannedFile {
public:
    QSHiddenAutostartFile(QString entryName, QString userFolder, QStringList systemFolders)
        : entryName_(std::move(entryName)),
          userFolder_(std::move(userFolder)),
          systemFolders_(std::move(systemFolders)) {}

    // Writes the hiding entry, only while the file is what the scan saw and no other user
    // file of that name has appeared since.
    bool switchOff(platform::Error* error) const;

private:
    QString entryName_;
    QString userFolder_;
    QStringList systemFolders_;
};

// A user unit whose program is missing. The links that enable it go with it: left
// behind, they would dangle.
class QSBrokenUnitFile : public QSScannedFile {
public:
    const QList<QSScannedFilePtr>& wantsLinks() const { return wantsLinks_; }
    void setWantsLinks(const QList<QSScannedFilePtr>& links) { wantsLinks_ = links; }

private:
    QList<QSScannedFilePtr> wantsLinks_;
};

// Removes what the scan listed; switches hidden entries off, and removes the wants links
// of each unit that is gone (each only while it is what the scan saw).
class QSBrokenLoginItemsResult : public QSScanResult {
public:
    using QSScanResult::QSScanResult;
    void deleteFiles(const QList<QSScannedFilePtr>& files, DeleteCompletion block,
                     StopFlag stop = nullptr) override;

private:
    QSRemovedItemPtr completed(const QSRemovedItemPtr& removed,
                               const QList<QSScannedFilePtr>& hidden, const StopFlag& stop) const;
};

// Launch agents and daemons of the user whose program no longer exists; on Linux also
// autostart entries and user services whose program is gone, and dangling links that
// enable user units.
class QSBrokenLoginItemsItem : public QSScanItem {
public:
    static std::shared_ptr<QSBrokenLoginItemsItem> item() {
        return std::make_shared<QSBrokenLoginItemsItem>();
    }

    QString title() const override { return QStringLiteral("Broken Login Items"); }
    QString key() const override { return QStringLiteral("login-items"); }
    QString path() const override;
    bool hasDetails() const override { return true; }
    QSScanResultPtr actuallyScan() override;

    QList<QSScannedFilePtr> brokenItemsForPath(const QString& folder);
    QList<QSScannedFilePtr> brokenAutostartEntries();
    QList<QSScannedFilePtr> brokenUserUnits();
    QList<QSScannedFilePtr> danglingWantsLinks();
};
