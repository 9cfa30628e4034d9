#include "engine/categories/login_items_item.h"

#include <algorithm>

#include "engine/categories/login_item_helper.h"
#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"

namespace {

// Fills what every login item shows: its name, dates and a size of one byte.
bool describe(QSLoginItemFile& item, const QString& path) {
    QDateTime created, modified;
    if (!platform::itemDates(path, &created, &modified)) return false;
    item.setPath(path);
    item.setFileName(QStringLiteral("%1 Login Item").arg(platform::lastPathComponent(path)));
    item.setAttributes(
        {{kNSURLCreationDateKey, created}, {kNSURLContentModificationDateKey, modified}});
    item.setModificationDate(modified);
    item.setFileSize(1);
    return true;
}

// An item whose program is gone has no dates to show.
std::shared_ptr<QSLoginItemFile> missingProgramItem(const QString& program) {
    auto item = std::make_shared<QSLoginItemFile>();
    item->setPath(program);
    item->setFileName(QStringLiteral("%1 Login Item").arg(platform::lastPathComponent(program)));
    item->setFileSize(1);
    return item;
}

}  // namespace

QString QSLoginItemsItem::path() const {
    return QSDiskUtilities::sharedInstance().homeDirectoryPath();
}

SpotlightListing QSLoginItemsItem::findLargeFiles() {
    return spotlightListing(QStringLiteral("/"),
                            {QStringLiteral("kMDItemContentType=com.apple.application-bundle")});
}

std::shared_ptr<QSLoginItemFile> QSLoginItemsItem::helperItem(const QString& application) {
    const QString helpers =
        platform::appendPathComponent(application, QStringLiteral("Contents/Library/LoginItems"));
    std::vector<platform::DirectoryEntry> entries;
    if (!platform::listDirectory(helpers, &entries) || entries.empty()) return nullptr;
    // Directory order differs between file systems; the first name in sorted order is
    // the same everywhere.
    const auto first =
        std::min_element(entries.begin(), entries.end(),
                         [](const auto& a, const auto& b) { return a.name < b.name; });
    auto item = std::make_shared<QSLoginItemFile>();
    if (!describe(*item, application)) return nullptr;
    item->setHelperPath(first->path);
    item->setHelperBundleID(QSLoginItemHelper::helperBundleIDForPath(first->path));
    item->setBundleID(QSLoginItemHelper::helperBundleIDForPath(application));
    return item;
}

std::shared_ptr<QSLoginItemFile> QSLoginItemsItem::listItem(const QString& path) {
    auto item = std::make_shared<QSLoginItemFile>();
    if (!describe(*item, path)) return nullptr;
    item->setBundleID(QSLoginItemHelper::helperBundleIDForPath(path));
    return item;
}

std::shared_ptr<QSLoginItemFile> QSLoginItemsItem::serviceItem(const QString& unit,
                                                               const QString& unitFile) {
    auto item = std::make_shared<QSLoginItemFile>();
    if (!describe(*item, unitFile)) return nullptr;
    item->setServiceUnit(unit);
    return item;
}

QSScanResultPtr QSLoginItemsItem::actuallyScan() {
    if (!platformGateOpen()) return gatedResult();
    const SpotlightListing applications = findLargeFiles();
    // Without the applications the list would leave out every helper that starts at login,
    // and read as all that starts; and an application switched by its path would be taken
    // for an entry of the login-items list, which it is not. The whole category fails.
    if (applications.failure) {
        return failedResult(std::make_shared<QSUnremovableScanResult>(
                                title(), key(), 0, QList<QSScannedFilePtr>(), kPathMarkerLarge),
                            *applications.failure);
    }
    auto& helper = QSLoginItemHelper::sharedInstance();
    QList<QSScannedFilePtr> entries;
    const auto record = [&](const std::shared_ptr<QSLoginItemFile>& item) {
        if (!item) return;
        item->setSelected(helper.itemIsEnabled(*item), true);
        entries.append(item);
    };
    for (const QString& application : applications.paths)
        record(helperItem(application));
    for (const QString& path : helper.launchdItems())
        record(listItem(path));
    for (const QString& program : helper.unresolvedLaunchdItems())
        record(missingProgramItem(program));
    for (const auto& service : QSLoginItemHelper::enabledUserServices())
        record(serviceItem(service.unit, service.unitFile));
    return std::make_shared<QSUnremovableScanResult>(title(), key(), 0, entries, kPathMarkerLarge);
}
