#include "engine/categories/partial_downloads_item.h"

#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/services.h"

namespace {

// A download changed this recently may still be going on.
constexpr qint64 kRecentSeconds = 60 * 60;
const QString kAria2Suffix = QStringLiteral(".aria2");

bool isOpenBelow(const QString& path, const QStringList& openFiles) {
    const QString folder = path + u'/';
    for (const QString& open : openFiles) {
        if (open == path || open.startsWith(folder)) return true;
    }
    return false;
}

}  // namespace

QStringList QSPartialDownloadsItem::queryArguments() {
    return {QStringLiteral("kMDItemDisplayName == '*.download'"),   QStringLiteral("||"),
            QStringLiteral("kMDItemDisplayName == '*.crdownload'"), QStringLiteral("||"),
            QStringLiteral("kMDItemDisplayName == '*.opdownload'"), QStringLiteral("||"),
            QStringLiteral("kMDItemDisplayName == '*.part'")};
}

QStringList QSPartialDownloadsItem::linuxQueryArguments() {
    return {QStringLiteral("kMDItemDisplayName == '*.aria2'"), QStringLiteral("||"),
            QStringLiteral("kMDItemDisplayName == '*.!qB'")};
}

QString QSPartialDownloadsItem::path() const {
    return QSDiskUtilities::sharedInstance().homeDirectoryPath();
}

SpotlightListing QSPartialDownloadsItem::findPartialFiles() {
    return spotlightListing(path(), queryArguments());
}

SpotlightListing QSPartialDownloadsItem::spotlightPaths() {
    SpotlightListing listing = findPartialFiles();
    if (listing.failure) return listing;
    const SpotlightListing own = spotlightListing(path(), linuxQueryArguments());
    if (own.failure) return own;
    for (const QString& found : own.paths) {
        listing.paths.append(found);
        if (!found.endsWith(kAria2Suffix)) continue;
        // The control file only says how far aria2 got; the part downloaded so far is the
        // file beside it, under the final name.
        const QString data = found.chopped(kAria2Suffix.size());
        if (platform::itemKind(data) == platform::ItemKind::Other) listing.paths.append(data);
    }
    return listing;
}

QSScanResultPtr QSPartialDownloadsItem::actuallyScan() {
    QSScanResultPtr result = QSSpotlightScanItem::actuallyScan();
    if (result->detailArray().isEmpty()) return result;
    const auto openFiles = platform::services().openFiles;
    const QStringList open = openFiles ? openFiles->openFilePaths() : QStringList();
    const QDateTime recent = QDateTime::currentDateTimeUtc().addSecs(-kRecentSeconds);
    for (const auto& file : result->detailArray()) {
        if (file->modificationDate() < recent && !isOpenBelow(file->path(), open)) continue;
        file->setSelected(false);
        file->setHasSelectedOverride(true);
    }
    return result;
}
