#pragma once

#include "engine/categories/spotlight_search.h"

// Screen captures anywhere in the home folder outside its Library folder, and everything
// the desktop's own capture tools saved in their folders (Pictures/Screenshots,
// Videos/Screencasts), recordings included. Found files start deselected.
class QSScreenshotItem : public QSSpotlightScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSScreenshotItem>(); }

    static inline const QString kQuery = QStringLiteral("kMDItemIsScreenCapture = 1");

    QString title() const override { return QStringLiteral("Screenshots"); }
    QString key() const override { return QStringLiteral("screenshots"); }
    QString path() const override;

    SpotlightListing findLargeFiles();
    // The files saved directly in the capture tools' folders, in the user's (perhaps
    // translated) picture and video folders.
    static QStringList captureFolderFiles();

protected:
    SpotlightListing spotlightPaths() override;
    QString pathMarker() const override { return kPathMarkerLarge; }
    bool skipsLibraryFolder() const override { return true; }
};
