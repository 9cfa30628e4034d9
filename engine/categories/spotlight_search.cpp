#include "engine/categories/spotlight_search.h"

#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/services.h"

QStringList spotlightListing(const QString& folder, const QStringList& queryArguments) {
    QByteArray output = platform::services().metadata->find(folder, queryArguments);
    // Only line ends are trimmed: a path may begin or end with a blank, and trimming it
    // would name another file, which the user might then remove.
    while (output.endsWith('\n'))
        output.chop(1);
    while (output.startsWith('\n'))
        output.remove(0, 1);
    if (output.isEmpty()) return {};
    QStringList paths;
    for (const QByteArray& line : output.split('\n'))
        paths.append(platform::decodePath(line));
    return paths;
}

QSScanResultPtr QSSpotlightScanItem::actuallyScan() {
    if (!platformGateOpen()) return gatedResult();
    return resultWithDetails(scannedFilesForSpotlightPaths(spotlightPaths(), skipsLibraryFolder()));
}

bool QSSpotlightScanItem::platformGateOpen() {
    return platform::services().notificationGate->hasUserNotificationCenter();
}

QSScanResultPtr QSSpotlightScanItem::gatedResult() const {
    auto result =
        std::make_shared<QSScanResult>(title(), key(), 0, QList<QSScannedFilePtr>(), QString());
    result->setDisabled(true);
    return result;
}

QList<QSScannedFilePtr> QSSpotlightScanItem::scannedFilesForSpotlightPaths(const QStringList& paths,
                                                                           bool skipLibraryFolder) {
    const QString library = QSDiskUtilities::sharedInstance().libraryDirectoryPath();
    QList<QSScannedFilePtr> files;
    for (const QString& path : paths) {
        // A plain prefix test, as designed: a sibling whose name merely starts with
        // "Library" is left out too.
        if (skipLibraryFolder && !library.isEmpty() && path.startsWith(library)) continue;
        QSScannedFilePtr file = spotlightFileWithPath(path);
        if (file && fileIsDeletableAtPath(path)) files.append(file);
    }
    return files;
}

QSScannedFilePtr QSSpotlightScanItem::spotlightFileWithPath(const QString& path) const {
    QDateTime created;
    QDateTime modified;
    if (!platform::itemDates(path, &created, &modified)) return nullptr;
    auto file = std::make_shared<QSScannedFile>();
    file->setPath(path);
    file->setFileName(platform::lastPathComponent(path));
    file->setAttributes(
        {{kNSURLCreationDateKey, created}, {kNSURLContentModificationDateKey, modified}});
    file->setModificationDate(modified);
    file->setFileSize(QSDiskUtilities::sharedInstance().fileSizeForPath(path));
    return file;
}

QSScanResultPtr QSSpotlightScanItem::resultWithDetails(
    const QList<QSScannedFilePtr>& details) const {
    // The result disables itself when it has no entries.
    return std::make_shared<QSScanResult>(title(), key(), 0, details, pathMarker());
}
