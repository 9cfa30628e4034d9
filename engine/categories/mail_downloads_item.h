#pragma once

#include "engine/scan_model.h"

// Attachments that Mail saved when they were opened. In a Linux home also the caches of
// Thunderbird's profiles and of Evolution, never their mail stores.
class QSMailDownloadsItem : public QSScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSMailDownloadsItem>(); }

    QString title() const override { return QStringLiteral("Mail Caches"); }
    QString key() const override { return QStringLiteral("mail-downloads"); }
    // Library/Mail Downloads, or the one inside Mail's container when that is missing,
    // else the first Linux mail cache folder that exists.
    QString path() const override;
    // Every existing folder the scan looks in, anchored before it does.
    QStringList paths() const override;
    bool hasDetails() const override { return true; }

    QSScanResultPtr actuallyScan() override;
    // One entry per Thunderbird profile cache (unticked while Thunderbird holds the
    // profile) and one for Evolution's cache, in every application home.
    QList<QSScannedFilePtr> linuxMailCacheFiles();

private:
    QString designPath() const;
    QSScannedFilePtr folderEntry(const QString& path, const QString& name);
};
