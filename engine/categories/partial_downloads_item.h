#pragma once

#include "engine/categories/spotlight_search.h"

// Unfinished browser downloads anywhere in the home folder, its Library folder included,
// and those of the download managers of Linux desktops. Found files start deselected; one
// still being written (open in a process, or changed within the last hour) stays
// deselected whatever the category's default.
class QSPartialDownloadsItem : public QSSpotlightScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSPartialDownloadsItem>(); }

    // Seven arguments: four name patterns with "||" between each two.
    static QStringList queryArguments();
    // aria2's control files and qBittorrent's unfinished files.
    static QStringList linuxQueryArguments();

    QString title() const override { return QStringLiteral("Partial Downloads"); }
    QString key() const override { return QStringLiteral("partial-downloads"); }
    QString path() const override;
    QSScanResultPtr actuallyScan() override;

    SpotlightListing findPartialFiles();

protected:
    // The design's listing, then the Linux one; the data file of an aria2 control file
    // comes right after it.
    SpotlightListing spotlightPaths() override;
    QString pathMarker() const override { return kPathMarkerPartial; }
};
