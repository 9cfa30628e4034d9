#pragma once

#include "engine/scan_model.h"

// The user's application caches, and the caches inside sandboxed applications' containers.
// In a Linux home also: the entries of the XDG cache folder, the cache folders of Flatpak
// and Snap applications and of Electron applications, and folders marked by a valid
// CACHEDIR.TAG.
class QSApplicationCachesItem : public QSScanItem {
public:
    static std::shared_ptr<QSScanItem> item() {
        return std::make_shared<QSApplicationCachesItem>();
    }

    QString title() const override { return QStringLiteral("Application Caches"); }
    QString key() const override { return QStringLiteral("application-caches"); }
    // Library/Caches, else the XDG cache folder when only that exists.
    QString path() const override;
    // Every existing folder the scan looks in, anchored before it does.
    QStringList paths() const override;
    bool hasDetails() const override { return true; }

    // Names never listed.
    static const QStringList& ignoredFiles();
    // Names listed deselected, their selection decided here.
    static const QStringList& uncheckedFiles();

    QSScanResultPtr actuallyScan() override;
    QSScannedFilePtr scannedFileWithPath(const QString& path,
                                         const QVariantMap& attributes) override;
    // Builds or drops one entry shown under `fileName`.
    QSScannedFilePtr scannedFileWithPath(const QString& path, const QVariantMap& attributes,
                                         const QString& fileName);
    // The Data/Library/Caches folders of the containers in Library/Containers.
    QList<QSScannedFilePtr> sandboxedFiles();

    // The caches of a Linux home, in the order listed above.
    QList<QSScannedFilePtr> linuxCacheFiles();
    // Whether the file starts with the signature of the Cache Directory Tagging standard.
    static bool isValidCacheDirectoryTag(const QString& path);

private:
    QList<QSScannedFilePtr> cacheHomeFiles(const QString& cacheHome, const QString& prefix);
    QList<QSScannedFilePtr> electronCacheFiles(const QString& configHome);
    QList<QSScannedFilePtr> taggedCacheFolders(const QList<QSScannedFilePtr>& listed);
    // An entry shown under `name`, with the icon of the application `bundleIdentifier`
    // names; null when nothing is at the path.
    QSScannedFilePtr linuxEntry(const QString& path, const QString& name,
                                const QString& bundleIdentifier);
};
