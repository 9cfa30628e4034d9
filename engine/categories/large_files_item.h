#pragma once

#include "engine/categories/spotlight_search.h"

// Files of at least 100,000,000 bytes anywhere in the home folder outside its Library
// folder, disk images and installer packages excepted. Found files start deselected.
class QSLargeFilesItem : public QSSpotlightScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSLargeFilesItem>(); }

    // The smallest size of a large file, in bytes.
    static constexpr unsigned long kSizeThreshold = 100000000;
    // The query, with the threshold in place of its placeholder (two blanks before "&&").
    static QString query();

    QString title() const override { return QStringLiteral("Large Files"); }
    QString key() const override { return QStringLiteral("large-files"); }
    QString path() const override;

    SpotlightListing findLargeFiles();

protected:
    SpotlightListing spotlightPaths() override { return findLargeFiles(); }
    QString pathMarker() const override { return kPathMarkerLarge; }
    bool skipsLibraryFolder() const override { return true; }
};
