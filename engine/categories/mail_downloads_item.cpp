#include "engine/categories/mail_downloads_item.h"

#include "engine/categories/linux_home_places.h"
#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"

namespace {

const QString kThunderbird = QStringLiteral("thunderbird");
const QString kEvolution = QStringLiteral("evolution");

QString prefixed(const linux_home::ApplicationHome& home, const QString& name) {
    return home.name.isNull() ? name : platform::appendPathComponent(home.name, name);
}

}  // namespace

QString QSMailDownloadsItem::designPath() const {
    const auto& disk = QSDiskUtilities::sharedInstance();
    const QString downloads = disk.mailDownloadsPath();
    return downloads.isNull() ? disk.mailDownloadsContainersPath() : downloads;
}

QString QSMailDownloadsItem::path() const {
    const QString design = designPath();
    if (!design.isNull()) return design;
    const QStringList linux = paths();
    return linux.isEmpty() ? QString() : linux.first();
}

QStringList QSMailDownloadsItem::paths() const {
    const QString cacheHome = QSDiskUtilities::sharedInstance().baseDirectories().cacheHome;
    return linux_home::existingFolders({designPath(),
                                        platform::appendPathComponent(cacheHome, kThunderbird),
                                        platform::appendPathComponent(cacheHome, kEvolution)});
}

QSScanResultPtr QSMailDownloadsItem::actuallyScan() {
    const QString design = designPath();
    QList<QSScannedFilePtr> details;
    if (!design.isNull()) details = enumerateDirectoryWithPath(design);
    details += linuxMailCacheFiles();
    return std::make_shared<QSScanResult>(title(), key(), 0, details, path());
}

// Only the cache folders are looked at: the profile folders beside them hold the mail
// itself (Mail, ImapMail), of which local folders are the only copy.
QList<QSScannedFilePtr> QSMailDownloadsItem::linuxMailCacheFiles() {
    QList<QSScannedFilePtr> files;
    for (const auto& home : linux_home::applicationHomes()) {
        std::vector<platform::DirectoryEntry> profiles;
        platform::listDirectory(platform::appendPathComponent(home.cacheHome, kThunderbird),
                                &profiles);
        for (const auto& profile : profiles) {
            if (!profile.isDirectory) continue;
            const QString lock = platform::appendPathComponent(
                home.root, QStringLiteral(".thunderbird/%1/lock").arg(profile.name));
            const bool inUse = linux_home::isLockLink(lock);
            const QString name = prefixed(home, QStringLiteral("Thunderbird/%1").arg(profile.name));
            auto file =
                folderEntry(profile.path, inUse ? name + QStringLiteral(" (in use)") : name);
            if (!file) continue;
            if (inUse) {
                file->setSelected(false);
                file->setHasSelectedOverride(true);
            }
            files.append(file);
        }
        const QString evolution = platform::appendPathComponent(home.cacheHome, kEvolution);
        if (auto file = folderEntry(evolution, prefixed(home, QStringLiteral("Evolution"))))
            files.append(file);
    }
    return files;
}

QSScannedFilePtr QSMailDownloadsItem::folderEntry(const QString& path, const QString& name) {
    if (platform::itemKind(path) != platform::ItemKind::Directory) return nullptr;
    return linux_home::namedEntry(path, name, [this](const QString& p, const QVariantMap& a) {
        return scannedFileWithPath(p, a);
    });
}
