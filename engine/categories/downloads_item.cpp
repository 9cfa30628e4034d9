#include "engine/categories/downloads_item.h"

#include "engine/disk_utilities.h"

QString QSDownloadsItem::path() const {
    return QSDiskUtilities::sharedInstance().downloadsPath();
}
