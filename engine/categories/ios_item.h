#pragma once

#include "engine/categories/spotlight_search.h"

// Device firmware files (".ipsw") anywhere in the home folder, its Library folder
// included. Found files start deselected.
class QSIOSItem : public QSSpotlightScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSIOSItem>(); }

    static inline const QString kQuery = QStringLiteral("kMDItemDisplayName == '*.ipsw'");

    QString title() const override { return QStringLiteral("iOS Software Updates"); }
    QString key() const override { return QStringLiteral("ios"); }
    QString path() const override;
    bool selectedByDefault() const override { return false; }

    SpotlightListing findPartialFiles();

protected:
    SpotlightListing spotlightPaths() override { return findPartialFiles(); }
    QString pathMarker() const override { return kPathMarkerIOS; }
};
