#include "engine/categories/dmg_item.h"

#include "engine/disk_utilities.h"

QString QSDMGItem::path() const {
    return QSDiskUtilities::sharedInstance().homeDirectoryPath();
}

SpotlightListing QSDMGItem::findLargeFiles() {
    return spotlightListing(path(), {kQuery});
}
