#pragma once

#include "engine/categories/spotlight_search.h"

// Unfinished browser downloads anywhere in the home folder, its Library folder included.
// Found files start deselected.
class QSPartialDownloadsItem : public QSSpotlightScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSPartialDownloadsItem>(); }

    // Seven arguments: four name patterns with "||" between each two.
    static QStringList queryArguments();

    QString title() const override { return QStringLiteral("Partial Downloads"); }
    QString key() const override { return QStringLiteral("partial-downloads"); }
    QString path() const override;

    SpotlightListing findPartialFiles();

protected:
    SpotlightListing spotlightPaths() override { return findPartialFiles(); }
    QString pathMarker() const override { return kPathMarkerPartial; }
};
