#include "engine/categories/dmg_item.h"

#include <QSet>

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

// Reading a .deb's control fields starts a dpkg-deb for each file: only files whose name,
// by the Debian convention "package_version_arch.deb", names an installed package are
// read, and their exact package and version decide.
void QSDMGItem::markInstalledDebianPackages(const QList<QSScannedFilePtr>& files) {
    const auto packages = platform::services().debianPackages;
    if (!packages) return;
    std::optional<QSet<QString>> installedNames;
    QList<platform::DebianPackage> installed;
    for (const auto& file : files) {
        const QString name = file->fileName();
        if (!name.endsWith(QStringLiteral(".deb"), Qt::CaseInsensitive)) continue;
        if (!installedNames) {
            installed = packages->installedPackages();
            installedNames.emplace();
            for (const auto& package : installed)
                installedNames->insert(package.name);
        }
        const QString named = name.chopped(4).section(u'_', 0, 0);
        if (!installedNames->contains(named)) continue;
        const auto package = packages->packageOfFile(file->path());
        if (package && installed.contains(*package)) file->setFileName(name + kInstalledSuffix);
    }
}
