#include "engine/categories/spotlight_search.h"

#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/services.h"

bool pathIsInsideFolder(const QString& path, const QString& folder) {
    // A "." or ".." component could lead anywhere once a link on the way is followed.
    if (path != platform::standardizePath(path)) return false;
    const QString base = platform::standardizePath(folder);
    if (base.isEmpty()) return false;
    const QString prefix = base.endsWith(u'/') ? base : base + u'/';
    return path.size() > prefix.size() && path.startsWith(prefix);
}

SpotlightListing spotlightListing(const QString& folder, const QStringList& queryArguments) {
    const platform::SearchAnswer answer =
        platform::services().metadata->find(folder, queryArguments);
    if (answer.failure) return SpotlightListing{QStringList(), answer.failure};
    QList<QByteArray> records = answer.output.split('\0');
    // What follows the last NUL is a path the tool did not finish writing; it may be the
    // beginning of a longer name, which is another file.
    records.removeLast();
    SpotlightListing listing;
    for (const QByteArray& record : records) {
        const QString path = platform::decodePath(record);
        if (pathIsInsideFolder(path, folder)) listing.paths.append(path);
    }
    return listing;
}

QSScanResultPtr QSSpotlightScanItem::actuallyScan() {
    if (!platformGateOpen()) return gatedResult();
    const SpotlightListing listing = spotlightPaths();
    if (listing.failure) return failedResult(resultWithDetails({}), *listing.failure);
    return resultWithDetails(scannedFilesForSpotlightPaths(listing.paths, skipsLibraryFolder()));
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

QSScanResultPtr QSSpotlightScanItem::failedResult(QSScanResultPtr empty, const QString& reason) {
    empty->setDisabled(true);
    empty->setFailureReason(reason);
    return empty;
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
    platform::FileIdentity identity;
    if (!platform::itemDates(path, &created, &modified, &identity)) return nullptr;
    auto file = std::make_shared<QSScannedFile>();
    file->setPath(path);
    // What the entry is, from the same look that read its dates.
    file->setIdentity(identity);
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
