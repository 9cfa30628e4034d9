#pragma once

#include "engine/scan_model.h"

// The caches of the supported web browsers: one group per installed browser. In a Linux
// home, browsers are found by their profile folders instead, in the user's home and in
// the homes of Flatpak and Snap applications.
class QSBrowserItem : public QSScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSBrowserItem>(); }

    QString title() const override { return QStringLiteral("Browser Caches"); }
    QString key() const override { return QStringLiteral("browser-cache"); }
    QString path() const override { return kPathMarkerLarge; }
    // The cache and settings folders, anchored before the scan looks in them.
    QStringList paths() const override;
    bool hasDetails() const override { return true; }

    QSScanResultPtr actuallyScan() override;

    // Each is the browser's group, or null when the browser is not installed.
    QSScannedFilePtr chromeItems();
    QSScannedFilePtr safariItems();
    QSScannedFilePtr firefoxItems();
    QSScannedFilePtr operaItems();
    // The Firefox and Chromium family groups of every application home that has any. A
    // group of a running browser starts unticked, with "in use" in its name.
    QList<QSScannedFilePtr> linuxBrowserGroups();

private:
    enum class Listing {
        FolderEntries,  // a folder's direct entries; anything else gives none
        FileOrFolder,   // a file as one entry, or a folder's direct entries
    };
    QSScannedFilePtr browserGroup(const QString& bundleIdentifier, const QString& groupName,
                                  const QStringList& libraryPaths, Listing listing);
    QList<QSScannedFilePtr> entriesAt(const QString& path, Listing listing);
    // The folder as one entry shown under `name`, when it is a real folder.
    void appendFolder(const QString& path, const QString& name, QList<QSScannedFilePtr>* files);
};
