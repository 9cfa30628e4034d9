#include "engine/categories/developer_item.h"

#include "engine/disk_utilities.h"

QString QSDeveloperItem::path() const {
    return QSDiskUtilities::sharedInstance().homeDirectoryPath();
}

QSScanResultPtr QSDeveloperItem::actuallyScan() {
    if (!platformGateOpen()) return gatedResult();
    const SpotlightListing archives = findPartialFiles();
    // The derived data alone would pass for everything the category found.
    if (archives.failure) return failedResult(resultWithDetails({}), *archives.failure);
    QList<QSScannedFilePtr> details = scannedFilesForSpotlightPaths(archives.paths, false);
    details += findDerivedDataFiles();
    return resultWithDetails(details);
}

SpotlightListing QSDeveloperItem::findPartialFiles() {
    return spotlightListing(path(), {kQuery});
}

QList<QSScannedFilePtr> QSDeveloperItem::findDerivedDataFiles() {
    const QString folder = QSDiskUtilities::sharedInstance().derivedDataPath();
    if (folder.isNull()) return {};
    return enumerateDirectoryWithPath(folder);
}
