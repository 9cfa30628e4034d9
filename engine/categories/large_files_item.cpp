#include "engine/categories/large_files_item.h"

#include "engine/disk_utilities.h"

QString QSLargeFilesItem::query() {
    return QString::asprintf(
        "kMDItemFSSize>=%lu  && (kMDItemKind != 'Installer package' && kMDItemKind != 'Disk "
        "Image')",
        kSizeThreshold);
}

QString QSLargeFilesItem::path() const {
    return QSDiskUtilities::sharedInstance().homeDirectoryPath();
}

SpotlightListing QSLargeFilesItem::findLargeFiles() {
    return spotlightListing(path(), {query()});
}
