#include "engine/categories/partial_downloads_item.h"

#include "engine/disk_utilities.h"

QStringList QSPartialDownloadsItem::queryArguments() {
    return {QStringLiteral("kMDItemDisplayName == '*.download'"),   QStringLiteral("||"),
            QStringLiteral("kMDItemDisplayName == '*.crdownload'"), QStringLiteral("||"),
            QStringLiteral("kMDItemDisplayName == '*.opdownload'"), QStringLiteral("||"),
            QStringLiteral("kMDItemDisplayName == '*.part'")};
}

QString QSPartialDownloadsItem::path() const {
    return QSDiskUtilities::sharedInstance().homeDirectoryPath();
}

SpotlightListing QSPartialDownloadsItem::findPartialFiles() {
    return spotlightListing(path(), queryArguments());
}
