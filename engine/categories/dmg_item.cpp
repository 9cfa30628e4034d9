#include "engine/categories/dmg_item.h"

#include "engine/disk_utilities.h"
#include "platform/services.h"

QString QSDMGItem::path() const {
    return QSDiskUtilities::sharedInstance().homeDirectoryPath();
}

SpotlightListing QSDMGItem::findLargeFiles() {
    return spotlightListing(path(), {kQuery});
}

QSScanResultPtr QSDMGItem::actuallyScan() {
    QSScanResultPtr result = QSSpotlightScanItem::actuallyScan();
    markInstalledDebianPackages(result->detailArray());
    return result;
}

void QSDMGItem::markInstalledDebianPackages(const QList<QSScannedFilePtr>& files) {
    const auto packages = platform::services().debianPackages;
    if (!packages) return;
    std::optional<QList<platform::DebianPackage>> installed;
    for (const auto& file : files) {
        if (!file->fileName().endsWith(QStringLiteral(".deb"), Qt::CaseInsensitive)) continue;
        const auto package = packages->packageOfFile(file->path());
        if (!package) continue;
        // Read once, and only when there is a package to compare.
        if (!installed) installed = packages->installedPackages();
        if (installed->contains(*package)) file->setFileName(file->fileName() + kInstalledSuffix);
    }
}
