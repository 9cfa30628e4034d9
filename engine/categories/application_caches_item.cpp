#include "engine/categories/application_caches_item.h"

#include "engine/application_identity.h"
#include "engine/categories/application_icon.h"
#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"

QString QSApplicationCachesItem::path() const {
    return QSDiskUtilities::sharedInstance().applicationCachesPath();
}

const QStringList& QSApplicationCachesItem::ignoredFiles() {
    static const QStringList names{
        QStringLiteral("GeoServices"),
        QStringLiteral("Metadata"),
        QStringLiteral("com.apple.Safari"),
        QStringLiteral("com.apple.iTunes"),
        QStringLiteral("Google"),
        QStringLiteral("com.apple.iPhoto"),
        QStringLiteral("com.apple.Photos"),
        QStringLiteral("com.apple.ScreenSaver.Engine"),
        QStringLiteral("com.apple.HomeKit.configurations"),
        QStringLiteral("CloudKit"),
        QStringLiteral("com.apple.Safari.SafeBrowsing"),
        QStringLiteral("com.apple.homed"),
        QStringLiteral("com.apple.VoiceMemos"),
        QStringLiteral("com.apple.Home"),
        QStringLiteral("com.apple.news"),
    };
    return names;
}

const QStringList& QSApplicationCachesItem::uncheckedFiles() {
    static const QStringList names{
        QStringLiteral("Adobe"),
        QStringLiteral("Adobe Camera Raw"),
        QStringLiteral("com.spotify.client"),
        QStringLiteral("com.apple.iBooksX"),
        QStringLiteral("com.apple.AddressBook"),
        QStringLiteral("com.apple.Dictionary"),
        QStringLiteral("com.apple.FaceTime"),
        QStringLiteral("com.apple.gamecenter"),
        QStringLiteral("com.apple.iCal"),
        QStringLiteral("com.apple.iChat"),
        QStringLiteral("com.apple.iMovieApp"),
        QStringLiteral("com.apple.iWork.Numbers"),
        QStringLiteral("com.apple.iWork.Keynote"),
        QStringLiteral("com.apple.iWork.Pages"),
        QStringLiteral("com.apple.mail"),
        QStringLiteral("com.apple.Notes"),
        QStringLiteral("com.apple.PhotoBooth"),
        QStringLiteral("com.apple.QuickTimePlayerX"),
        QStringLiteral("com.apple.TextEdit"),
        QStringLiteral("com.apple.cloudphotosd"),
        QStringLiteral("com.apple.icloud.fmfd"),
        QStringLiteral("com.apple.iCloudHelper"),
    };
    return names;
}

QSScanResultPtr QSApplicationCachesItem::actuallyScan() {
    QList<QSScannedFilePtr> details = enumerateDirectoryWithPath(path());
    details += sandboxedFiles();
    return std::make_shared<QSScanResult>(title(), key(), 0, details, path());
}

QSScannedFilePtr QSApplicationCachesItem::scannedFileWithPath(const QString& path,
                                                              const QVariantMap& attributes) {
    return scannedFileWithPath(path, attributes, platform::lastPathComponent(path));
}

QSScannedFilePtr QSApplicationCachesItem::scannedFileWithPath(const QString& path,
                                                              const QVariantMap& attributes,
                                                              const QString& fileName) {
    if (ignoredFiles().contains(fileName) || fileName.startsWith(kApplePrefix))
        return nullptr;
    QSScannedFilePtr file = QSScanItem::scannedFileWithPath(path, attributes);
    file->setFileName(fileName);
    file->setIcon(applicationIconForBundleIdentifier(fileName));
    if (uncheckedFiles().contains(fileName)) {
        file->setSelected(false);
        file->setHasSelectedOverride(true);
    }
    return file;
}

QList<QSScannedFilePtr> QSApplicationCachesItem::sandboxedFiles() {
    QList<QSScannedFilePtr> files;
    const QString containers =
        QSDiskUtilities::sharedInstance().libraryPathWithComponent(QStringLiteral("Containers"));
    std::vector<platform::DirectoryEntry> entries;
    if (!platform::listDirectory(containers, &entries))
        return files;
    for (const auto& container : entries) {
        // Containers link Data's folders to the user's own ones; a cache reached through a
        // link would lie outside the container, so only real folders lead to it.
        const QString data = platform::appendPathComponent(container.path, QStringLiteral("Data"));
        const QString library = platform::appendPathComponent(data, QStringLiteral("Library"));
        if (!container.isDirectory || platform::itemKind(data) != platform::ItemKind::Directory ||
            platform::itemKind(library) != platform::ItemKind::Directory) {
            continue;
        }
        const QString caches = platform::appendPathComponent(library, QStringLiteral("Caches"));
        if (!platform::fileExistsAtPath(caches))
            continue;
        if (auto file = scannedFileWithPath(caches, QVariantMap(), container.name))
            files.append(file);
    }
    return files;
}
