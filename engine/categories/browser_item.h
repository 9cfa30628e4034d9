#pragma once

#include "engine/scan_model.h"

// The caches of the supported web browsers: one group per installed browser.
class QSBrowserItem : public QSScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSBrowserItem>(); }

    QString title() const override { return QStringLiteral("Browser Caches"); }
    QString key() const override { return QStringLiteral("browser-cache"); }
    QString path() const override { return kPathMarkerLarge; }
    bool hasDetails() const override { return true; }

    QSScanResultPtr actuallyScan() override;

    // Each is the browser's group, or null when the browser is not installed.
    QSScannedFilePtr chromeItems();
    QSScannedFilePtr safariItems();
    QSScannedFilePtr firefoxItems();
    QSScannedFilePtr operaItems();

private:
    enum class Listing {
        FolderEntries,  // a folder's direct entries; anything else gives none
        FileOrFolder,   // a file as one entry, or a folder's direct entries
    };
    QSScannedFilePtr browserGroup(const QString& bundleIdentifier, const QString& groupName,
                                  const QStringList& libraryPaths, Listing listing);
    QList<QSScannedFilePtr> entriesAt(const QString& path, Listing listing);
};
