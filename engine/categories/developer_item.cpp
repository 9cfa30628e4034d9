#include "engine/categories/developer_item.h"

#include "engine/disk_utilities.h"

QString QSDeveloperItem::path() const {
    return QSDiskUtilities::sharedInstance().homeDirectoryPath();
}

QSScanResultPtr QSDeveloperItem::actuallyScan() {
    if (!platformGateOpen()) return gatedResult();
    QList<QSScannedFilePtr> details = scannedFilesForSpotlightPaths(findPartialFiles(), false);
    details += findDerivedDataFiles();
    return resultWithDetails(details);
}

QStringList QSDeveloperItem::findPartialFiles() {
    return spotlightListing(path(), {kQuery});
}

QList<QSScannedFilePtr> QSDeveloperItem::findDerivedDataFiles() {
    const QString folder = QSDiskUtilities::sharedInstance().derivedDataPath();
    if (folder.isNull()) return {};
    return enumerateDirectoryWithPath(folder);
}
