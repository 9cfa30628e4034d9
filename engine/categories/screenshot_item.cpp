#include "engine/categories/screenshot_item.h"

#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"

QString QSScreenshotItem::path() const {
    return QSDiskUtilities::sharedInstance().homeDirectoryPath();
}

SpotlightListing QSScreenshotItem::findLargeFiles() {
    return spotlightListing(path(), {kQuery});
}

QStringList QSScreenshotItem::captureFolderFiles() {
    const auto& disk = QSDiskUtilities::sharedInstance();
    const QStringList folders{
        platform::appendPathComponent(disk.userDirectory(QStringLiteral("PICTURES")),
                                      QStringLiteral("Screenshots")),
        platform::appendPathComponent(disk.userDirectory(QStringLiteral("VIDEOS")),
                                      QStringLiteral("Screencasts"))};
    QStringList files;
    for (const QString& folder : folders) {
        std::vector<platform::DirectoryEntry> entries;
        // A switched-off user folder is null, and so is its capture folder's path.
        if (!folder.startsWith(u'/') || !platform::listDirectory(folder, &entries)) continue;
        for (const auto& entry : entries) {
            if (!entry.isDirectory) files.append(entry.path);
        }
    }
    return files;
}

SpotlightListing QSScreenshotItem::spotlightPaths() {
    SpotlightListing listing = findLargeFiles();
    if (listing.failure) return listing;
    for (const QString& file : captureFolderFiles()) {
        if (!listing.paths.contains(file)) listing.paths.append(file);
    }
    return listing;
}
