#include "engine/categories/mail_downloads_item.h"

#include "engine/disk_utilities.h"

QString QSMailDownloadsItem::path() const {
    const auto& disk = QSDiskUtilities::sharedInstance();
    const QString downloads = disk.mailDownloadsPath();
    return downloads.isNull() ? disk.mailDownloadsContainersPath() : downloads;
}
