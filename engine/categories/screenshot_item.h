#pragma once

#include "engine/categories/spotlight_search.h"

// Screen captures anywhere in the home folder outside its Library folder. Found files
// start deselected.
class QSScreenshotItem : public QSSpotlightScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSScreenshotItem>(); }

    static inline const QString kQuery = QStringLiteral("kMDItemIsScreenCapture = 1");

    QString title() const override { return QStringLiteral("Screenshots"); }
    QString key() const override { return QStringLiteral("screenshots"); }
    QString path() const override;

    SpotlightListing findLargeFiles();

protected:
    SpotlightListing spotlightPaths() override { return findLargeFiles(); }
    QString pathMarker() const override { return kPathMarkerLarge; }
    bool skipsLibraryFolder() const override { return true; }
};
