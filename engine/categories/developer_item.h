#pragma once

#include "engine/categories/spotlight_search.h"

// Build archives anywhere in the home folder, then the entries of the developer tools'
// derived-data folder. Everything starts deselected.
class QSDeveloperItem : public QSSpotlightScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSDeveloperItem>(); }

    static inline const QString kQuery = QStringLiteral("kMDItemDisplayName == '*.xcarchive'");

    QString title() const override { return QStringLiteral("Developer"); }
    QString key() const override { return QStringLiteral("developer"); }
    QString path() const override;
    bool selectedByDefault() const override { return false; }

    QSScanResultPtr actuallyScan() override;
    SpotlightListing findPartialFiles();
    // The direct, visible entries of the derived-data folder; none without the folder.
    QList<QSScannedFilePtr> findDerivedDataFiles();

protected:
    SpotlightListing spotlightPaths() override { return findPartialFiles(); }
    QString pathMarker() const override { return kPathMarkerDeveloper; }
};
