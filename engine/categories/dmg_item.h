#pragma once

#include "engine/categories/spotlight_search.h"

// Disk images and installer packages anywhere in the home folder outside its Library
// folder. Found files start deselected.
class QSDMGItem : public QSSpotlightScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSDMGItem>(); }

    static inline const QString kQuery =
        QStringLiteral("kMDItemKind == 'Installer package' || kMDItemKind == 'Disk Image'");

    QString title() const override { return QStringLiteral("Installer Packages"); }
    QString key() const override { return QStringLiteral("dmg"); }
    QString path() const override;

    SpotlightListing findLargeFiles();

protected:
    SpotlightListing spotlightPaths() override { return findLargeFiles(); }
    QString pathMarker() const override { return kPathMarkerLarge; }
    bool skipsLibraryFolder() const override { return true; }
};
