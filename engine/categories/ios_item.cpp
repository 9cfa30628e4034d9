#include "engine/categories/ios_item.h"

#include "engine/disk_utilities.h"

QString QSIOSItem::path() const {
    return QSDiskUtilities::sharedInstance().homeDirectoryPath();
}

SpotlightListing QSIOSItem::findPartialFiles() {
    return spotlightListing(path(), {kQuery});
}
