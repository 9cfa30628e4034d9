#pragma once

#include "engine/categories/spotlight_search.h"

// Applications not opened for at least 90 days, each with what it keeps in the Library.
// On Linux also the Flatpak applications and AppImages of the same age (see
// linux_applications.h); the system's packages are the package manager's, never offered.
class QSAgingFilesItem : public QSSpotlightScanItem {
public:
    static std::shared_ptr<QSAgingFilesItem> item() { return std::make_shared<QSAgingFilesItem>(); }

    QString title() const override { return QStringLiteral("Unused Applications"); }
    QString key() const override { return QStringLiteral("unused-apps"); }
    QString path() const override;
    QSScanResultPtr actuallyScan() override;

    SpotlightListing findLargeFiles();
    // What the application keeps in the Library, each inside the folder its template names;
    // nothing for an identifier that could name another folder.
    QList<QSScannedFilePtr> findRelatedFilesForAppNamed(const QString& name, const QString& bundle);
    void updatePreferenceFiles();
    // Full paths of the folder's entries that no ignored prefix starts; null when the folder
    // cannot be listed.
    QStringList filteredPreferenceFilesAtPath(const QString& folder) const;
    static QStringList ignoredBundles();
    static QStringList relatedFileDirectories();

    QStringList preferenceFiles() const { return preferenceFiles_; }
    QStringList syncedPreferenceFiles() const { return syncedPreferenceFiles_; }

    // Whether a candidate related path must never be taken: the home or Library folder, a
    // standard folder of the Library, or a folder of /Applications that holds other
    // applications. Deleting the application would otherwise remove all of it.
    static bool isProtectedRelatedPath(
        const QString& candidate, const QString& applicationPath,
        const QString& applicationsFolder = QStringLiteral("/Applications"));

protected:
    SpotlightListing spotlightPaths() override { return findLargeFiles(); }
    QString pathMarker() const override { return kPathMarkerLarge; }

private:
    QSScannedFilePtr applicationEntry(const QString& path, const QDateTime& lastUsed,
                                      const QVariantMap& attributes, const QString& bundle);

    QStringList preferenceFiles_;
    QStringList syncedPreferenceFiles_;
    QString currentApplication_;
};
