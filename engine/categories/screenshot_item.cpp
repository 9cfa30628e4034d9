#include "engine/categories/screenshot_item.h"

#include "engine/disk_utilities.h"

QString QSScreenshotItem::path() const {
    return QSDiskUtilities::sharedInstance().homeDirectoryPath();
}

SpotlightListing QSScreenshotItem::findLargeFiles() {
    return spotlightListing(path(), {kQuery});
}
