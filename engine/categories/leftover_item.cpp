#include "engine/categories/leftover_item.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <QRegularExpression>
#include <algorithm>

#include "engine/application_identity.h"
#include "engine/categories/application_icon.h"
#include "engine/categories/linux_applications.h"
#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/property_list.h"
#include "platform/services.h"

namespace {

QDateTime dateFrom(const struct statx_timestamp& t) {
    return QDateTime::fromMSecsSinceEpoch(qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000, Qt::UTC);
}

// The folder's creation and modification dates; empty when they cannot be read.
QVariantMap folderDates(const QString& path) {
    struct statx st;
    if (statx(AT_FDCWD, platform::encodePath(path).constData(), AT_SYMLINK_NOFOLLOW,
              STATX_BTIME | STATX_MTIME, &st) != 0) {
        return {};
    }
    const QDateTime modified = dateFrom(st.stx_mtime);
    // Without birth times, the change of content is the oldest date we know.
    const QDateTime created = (st.stx_mask & STATX_BTIME) ? dateFrom(st.stx_btime) : modified;
    return {{kNSURLCreationDateKey, created}, {kNSURLContentModificationDateKey, modified}};
}

QVariantMap mapAt(const QVariantMap& map, const QString& key) {
    return map.value(key).toMap();
}

// A string value; anything else counts as missing.
QString stringAt(const QVariantMap& map, const QString& key) {
    const QVariant value = map.value(key);
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

}  // namespace

QString QSLeftoverItem::path() const {
    return QSDiskUtilities::sharedInstance().libraryPathWithComponent(QStringLiteral("Containers"));
}

QSScanResultPtr QSLeftoverItem::actuallyScan() {
    QList<QSScannedFilePtr> details;
    std::vector<platform::DirectoryEntry> entries;
    platform::listDirectory(path(), &entries);
    for (const auto& entry : entries) {
        if (!entry.isDirectory || entry.name.startsWith(kApplePrefix)) continue;
        if (!fileIsDeletableAtPath(entry.path)) continue;
        // Container.plist is read once: both rules and the check between them use it.
        const Owner owner = ownerOfContainer(entry.path);
        if (auto file = sandboxedContainerFile(entry.path, owner)) {
            details.append(file);
            continue;
        }
        // A container whose own list says its application is still there is never a
        // leftover, even when the application lies where the workspace does not look.
        if (!owner.bundleIdentifier.isEmpty() && isInstalled(owner)) continue;
        if (auto file = containerFileWithPath(entry.path)) details.append(file);
    }
    details += flatpakLeftovers();
    details += snapLeftovers();
    return std::make_shared<QSScanResult>(title(), key(), 0, details, kPathMarkerLarge);
}

QSScannedFilePtr QSLeftoverItem::sandboxedContainerFileWithPath(const QString& path) {
    return sandboxedContainerFile(path, ownerOfContainer(path));
}

QSScannedFilePtr QSLeftoverItem::sandboxedContainerFile(const QString& path, const Owner& owner) {
    if (owner.bundleIdentifier.isEmpty() || isInstalled(owner)) return nullptr;
    const QString name = owner.bundlePath.isEmpty() ? platform::lastPathComponent(path)
                                                    : platform::lastPathComponent(owner.bundlePath);
    return leftoverEntry(path, name);
}

QSScannedFilePtr QSLeftoverItem::containerFileWithPath(const QString& path) {
    const QString folderName = platform::lastPathComponent(path);
    if (isApplicationInstalled(folderName)) return nullptr;
    return leftoverEntry(path, folderName.section(u'.', -1));
}

std::optional<QVariantMap> QSLeftoverItem::dictionaryFromPropertyListAtPath(const QString& path) {
    return platform::propertyListDictionaryAtPath(path);
}

QSLeftoverItem::Owner QSLeftoverItem::ownerOfContainer(const QString& path) {
    const auto container = dictionaryFromPropertyListAtPath(
        platform::appendPathComponent(path, QStringLiteral("Container.plist")));
    if (!container) return {};
    const QVariantMap parameters =
        mapAt(mapAt(*container, QStringLiteral("SandboxProfileDataValidationInfo")),
              QStringLiteral("SandboxProfileDataValidationParametersKey"));
    return {stringAt(parameters, QStringLiteral("application_bundle")),
            stringAt(parameters, QStringLiteral("application_bundle_id"))};
}

bool QSLeftoverItem::isInstalled(const Owner& owner) {
    // A relative bundle path would be resolved against our working folder.
    if (owner.bundlePath.startsWith(u'/') && platform::fileExistsAtPath(owner.bundlePath))
        return true;
    return isApplicationInstalled(owner.bundleIdentifier);
}

std::vector<platform::DirectoryEntry> QSLeftoverItem::sandboxFolders(const QString& folder) {
    std::vector<platform::DirectoryEntry> entries;
    platform::listDirectory(
        QSDiskUtilities::sharedInstance().homeDirectoryPathWithComponent(folder), &entries);
    std::erase_if(entries, [this](const platform::DirectoryEntry& entry) {
        return !entry.isDirectory ||
               platform::itemKind(entry.path) != platform::ItemKind::Directory ||
               !fileIsDeletableAtPath(entry.path);
    });
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    return entries;
}

QList<QSScannedFilePtr> QSLeftoverItem::flatpakLeftovers() {
    QList<QSScannedFilePtr> leftovers;
    const auto installations = linux_apps::flatpakInstallations();
    std::optional<QHash<QString, QString>> names;
    for (const auto& entry : sandboxFolders(QStringLiteral(".var/app"))) {
        // A folder Flatpak did not name is not Flatpak's to judge.
        if (!platform::isFlatpakId(entry.name)) continue;
        if (std::any_of(installations.begin(), installations.end(), [&](const auto& installation) {
                return platform::holdsFlatpakApplication(installation, entry.name);
            })) {
            continue;
        }
        // The catalogues are large: read only once something is to be named.
        if (!names) names = linux_apps::flatpakNames();
        if (auto file = leftoverEntry(entry.path, linux_apps::flatpakName(*names, entry.name))) {
            leftovers.append(file);
        }
    }
    return leftovers;
}

QList<QSScannedFilePtr> QSLeftoverItem::snapLeftovers() {
    static const QRegularExpression snapName(QStringLiteral("^[a-z0-9][a-z0-9_-]*$"));
    const auto flatpak = platform::services().flatpak;
    const QStringList mounts = flatpak ? flatpak->snapFolders() : QStringList();
    // Without knowing where snaps are installed, none is known to be gone.
    if (mounts.isEmpty()) return {};
    QList<QSScannedFilePtr> leftovers;
    for (const auto& entry : sandboxFolders(QStringLiteral("snap"))) {
        if (!snapName.match(entry.name).hasMatch()) continue;
        if (std::any_of(mounts.begin(), mounts.end(), [&](const QString& mount) {
                return platform::fileExistsAtPath(platform::appendPathComponent(mount, entry.name));
            })) {
            continue;
        }
        if (auto file = leftoverEntry(entry.path, entry.name)) leftovers.append(file);
    }
    return leftovers;
}

QSScannedFilePtr QSLeftoverItem::leftoverEntry(const QString& path, const QString& fileName) {
    const QVariantMap attributes = folderDates(path);
    if (attributes.isEmpty()) return nullptr;
    auto file = std::make_shared<QSScannedFile>();
    file->setPath(path);
    file->setFileName(fileName);
    file->setAttributes(attributes);
    file->setModificationDate(attributes.value(kNSURLContentModificationDateKey).toDateTime());
    file->setFileSize(QSDiskUtilities::sharedInstance().fileSizeForPath(path));
    return file;
}
