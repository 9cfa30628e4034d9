#pragma once

#include "engine/categories/spotlight_search.h"

// Build archives anywhere in the home folder, then the entries of the developer tools'
// derived-data folder. Everything starts deselected.
// In a Linux home also: the caches developer tools fill again by themselves, one group per
// tool, then the build outputs inside projects, one group per project. These start
// ticked, except Maven's repository.
class QSDeveloperItem : public QSSpotlightScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSDeveloperItem>(); }

    static inline const QString kQuery = QStringLiteral("kMDItemDisplayName == '*.xcarchive'");

    QString title() const override { return QStringLiteral("Developer"); }
    QString key() const override { return QStringLiteral("developer"); }
    QString path() const override;
    // The home and the XDG cache and data folders, anchored before the scan: either of the
    // two may be a link the user made.
    QStringList paths() const override;
    bool selectedByDefault() const override { return false; }

    QSScanResultPtr actuallyScan() override;
    SpotlightListing findPartialFiles();
    // The direct, visible entries of the derived-data folder; none without the folder.
    QList<QSScannedFilePtr> findDerivedDataFiles();
    // One group per tool, one entry per cache folder (or Gradle daemon log); only real
    // folders on the home's own mount.
    QList<QSScannedFilePtr> findToolCaches();
    // One group per project (named by its path in the home), one entry per output folder.
    QList<QSScannedFilePtr> findBuildOutputs();

protected:
    SpotlightListing spotlightPaths() override { return findPartialFiles(); }
    QString pathMarker() const override { return kPathMarkerDeveloper; }

private:
    QList<QSScannedFilePtr> gradleLeftovers();
    QList<QSScannedFilePtr> jetBrainsCaches();
    // The entry of a cache or output, shown under `name`, ticked unless said otherwise;
    // null when nothing is there.
    QSScannedFilePtr linuxEntry(const QString& path, const QString& name, bool ticked = true);
};
