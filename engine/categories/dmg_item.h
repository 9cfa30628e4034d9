#pragma once

#include "engine/categories/spotlight_search.h"

// Disk images and installer packages anywhere in the home folder outside its Library
// folder. Found files start deselected. A Debian package whose exact version is installed
// says so in its name: it is only needed to install that version again.
class QSDMGItem : public QSSpotlightScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSDMGItem>(); }

    static inline const QString kQuery =
        QStringLiteral("kMDItemKind == 'Installer package' || kMDItemKind == 'Disk Image'");
    static inline const QString kInstalledSuffix = QStringLiteral(" (installed)");

    QString title() const override { return QStringLiteral("Installer Packages"); }
    QString key() const override { return QStringLiteral("dmg"); }
    QString path() const override;
    QSScanResultPtr actuallyScan() override;

    SpotlightListing findLargeFiles();

protected:
    SpotlightListing spotlightPaths() override { return findLargeFiles(); }
    QString pathMarker() const override { return kPathMarkerLarge; }
    bool skipsLibraryFolder() const override { return true; }

private:
    static void markInstalledDebianPackages(const QList<QSScannedFilePtr>& files);
};
