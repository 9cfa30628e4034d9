#include "engine/categories/application_caches_item.h"

#include <dirent.h>

#include <algorithm>
#include <cstring>

#include "engine/application_identity.h"
#include "engine/categories/application_icon.h"
#include "engine/categories/linux_home_places.h"
#include "engine/categories/spotlight_search.h"
#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/folder_anchors.h"
#include "platform/tree_walk.h"
#include "platform/unique_fd.h"

namespace {

// Our own metadata index lives there: listing it would list the index itself.
const QString kOwnCacheFolder = QStringLiteral("sweepwell");
// The document portal's mount: what it shows are the user's own files.
const QString kDocumentPortalFolder = QStringLiteral("doc");
const QByteArray kCacheDirectoryTagSignature("Signature: 8a477f597d28d172789f06886806bc55");
const QString kCacheDirectoryTag = QStringLiteral("CACHEDIR.TAG");
const QString kCacheDirectoryTagQuery = QStringLiteral("kMDItemDisplayName == 'CACHEDIR.TAG'");

const QStringList& electronCacheFolders() {
    static const QStringList names{QStringLiteral("Cache"), QStringLiteral("Code Cache"),
                                   QStringLiteral("GPUCache"), QStringLiteral("CachedData")};
    return names;
}

// What a cache home holds that this category leaves to another, or to nobody.
bool leftAlone(const QString& name) {
    return name == kOwnCacheFolder || name == kDocumentPortalFolder ||
           linux_home::browserCacheFolderNames().contains(name) ||
           linux_home::mailCacheFolderNames().contains(name);
}

// Finds the tags the metadata index cannot, as it leaves hidden folders out: those of the
// tools' folders directly in the home (~/.ccache, ~/.gradle/caches), two folders down at
// most. The cache folder is not entered: what is in it is listed already.
class HiddenTagFinder : public platform::WalkVisitor {
public:
    explicit HiddenTagFinder(const QByteArray& home) : home_(home) {}

    void visitEntry(const platform::WalkEntry& entry) override {
        if (entry.type == DT_REG && depthOf(entry.dirPath) > 0 &&
            std::strcmp(entry.name, "CACHEDIR.TAG") == 0) {
            tags.append(platform::decodePath(entry.path()));
        }
    }
    bool shouldDescend(const platform::WalkEntry& entry) override {
        if (depthOf(entry.dirPath) == 0)
            return entry.name[0] == '.' && std::strcmp(entry.name, ".cache") != 0;
        return depthOf(entry.dirPath) == 1;
    }

    QStringList tags;

private:
    qsizetype depthOf(const QByteArray& folder) const {
        return folder.size() <= home_.size() ? 0 : folder.mid(home_.size()).count('/');
    }

    const QByteArray home_;
};

QStringList hiddenCacheDirectoryTags(const QString& home) {
    int error = 0;
    const platform::UniqueFd folder = platform::openFolderBeneathAnchor(home, &error);
    if (!folder.valid()) return {};
    QByteArray root = platform::encodePath(home);
    if (root.endsWith('/')) root.chop(1);
    HiddenTagFinder finder(root);
    platform::walkTree(folder.get(), root, finder, 1);
    return finder.tags;
}

bool overlaps(const QString& path, const QStringList& listed) {
    for (const QString& other : listed) {
        if (path == other || pathIsInsideFolder(path, other) || pathIsInsideFolder(other, path))
            return true;
    }
    return false;
}

}  // namespace

QString QSApplicationCachesItem::path() const {
    const auto& disk = QSDiskUtilities::sharedInstance();
    const QString caches = disk.applicationCachesPath();
    return caches.isNull() ? disk.verifyPathExistsWithPath(disk.baseDirectories().cacheHome)
                           : caches;
}

QStringList QSApplicationCachesItem::paths() const {
    const auto& disk = QSDiskUtilities::sharedInstance();
    const xdg::BaseDirectories base = disk.baseDirectories();
    return linux_home::existingFolders(
        {disk.applicationCachesPath(), base.cacheHome, base.configHome});
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
    const QString caches = QSDiskUtilities::sharedInstance().applicationCachesPath();
    QList<QSScannedFilePtr> details;
    if (!caches.isNull()) {
        details = enumerateDirectoryWithPath(caches);
        details += sandboxedFiles();
    }
    details += linuxCacheFiles();
    return std::make_shared<QSScanResult>(title(), key(), 0, details, path());
}

QSScannedFilePtr QSApplicationCachesItem::scannedFileWithPath(const QString& path,
                                                              const QVariantMap& attributes) {
    return scannedFileWithPath(path, attributes, platform::lastPathComponent(path));
}

QSScannedFilePtr QSApplicationCachesItem::scannedFileWithPath(const QString& path,
                                                              const QVariantMap& attributes,
                                                              const QString& fileName) {
    if (ignoredFiles().contains(fileName) || fileName.startsWith(kApplePrefix)) return nullptr;
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
    if (!platform::listDirectory(containers, &entries)) return files;
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
        if (!platform::fileExistsAtPath(caches)) continue;
        if (auto file = scannedFileWithPath(caches, QVariantMap(), container.name))
            files.append(file);
    }
    return files;
}

QList<QSScannedFilePtr> QSApplicationCachesItem::linuxCacheFiles() {
    const xdg::BaseDirectories base = QSDiskUtilities::sharedInstance().baseDirectories();
    QList<QSScannedFilePtr> files = cacheHomeFiles(base.cacheHome, QString());
    for (const auto& home : linux_home::sandboxHomes()) {
        if (platform::itemKind(home.cacheHome) != platform::ItemKind::Directory ||
            !linux_home::onSameDevice(home.cacheHome, home.root)) {
            continue;
        }
        files += cacheHomeFiles(home.cacheHome, home.name);
    }
    files += electronCacheFiles(base.configHome);
    files += taggedCacheFolders(files);
    return files;
}

// A sandbox's cache folder is one entry named after its application, unless it holds
// what another category lists: then each of its other entries is one.
QList<QSScannedFilePtr> QSApplicationCachesItem::cacheHomeFiles(const QString& cacheHome,
                                                                const QString& prefix) {
    QList<QSScannedFilePtr> files;
    std::vector<platform::DirectoryEntry> entries;
    const auto device = linux_home::folderDevice(cacheHome);
    if (!device || !platform::listDirectory(cacheHome, &entries)) return files;
    const bool whole =
        !prefix.isNull() &&
        std::none_of(entries.begin(), entries.end(), [&](const platform::DirectoryEntry& e) {
            return leftAlone(e.name) || e.identity.device != *device;
        });
    if (whole) {
        if (auto file = linuxEntry(cacheHome, prefix, prefix)) files.append(file);
        return files;
    }
    for (const auto& entry : entries) {
        if (leftAlone(entry.name) || entry.identity.device != *device) continue;
        const QString name =
            prefix.isNull() ? entry.name : platform::appendPathComponent(prefix, entry.name);
        if (auto file = linuxEntry(entry.path, name, prefix.isNull() ? entry.name : prefix))
            files.append(file);
    }
    return files;
}

// Electron applications keep Chromium's caches beside their settings.
QList<QSScannedFilePtr> QSApplicationCachesItem::electronCacheFiles(const QString& configHome) {
    QList<QSScannedFilePtr> files;
    std::vector<platform::DirectoryEntry> entries;
    if (!platform::listDirectory(configHome, &entries)) return files;
    for (const auto& entry : entries) {
        if (!entry.isDirectory || leftAlone(entry.name)) continue;
        for (const QString& cache : electronCacheFolders()) {
            const QString path = platform::appendPathComponent(entry.path, cache);
            if (platform::itemKind(path) != platform::ItemKind::Directory ||
                !linux_home::onSameDevice(path, configHome)) {
                continue;
            }
            if (auto file = linuxEntry(path, platform::appendPathComponent(entry.name, cache),
                                       entry.name)) {
                files.append(file);
            }
        }
    }
    return files;
}

// What is already listed, and what lies in the cache folders or on another mounted file
// system, is not listed again.
QList<QSScannedFilePtr> QSApplicationCachesItem::taggedCacheFolders(
    const QList<QSScannedFilePtr>& listed) {
    const auto& disk = QSDiskUtilities::sharedInstance();
    const QString home = disk.homeDirectoryPath();
    QStringList taken{disk.baseDirectories().cacheHome, disk.libraryDirectoryPath()};
    for (const auto& file : listed)
        taken.append(file->path());
    QStringList folders;
    // A failed search adds nothing: the tags it would have found stay unlisted.
    for (const QString& tag :
         spotlightListing(home, {kCacheDirectoryTagQuery}).paths + hiddenCacheDirectoryTags(home)) {
        folders.append(platform::deletingLastPathComponent(tag));
    }
    // A folder comes before those inside it, so a tagged folder within a tagged one is
    // part of the outer entry.
    folders.sort();
    folders.removeDuplicates();
    QList<QSScannedFilePtr> files;
    for (const QString& folder : folders) {
        const QString tag = platform::appendPathComponent(folder, kCacheDirectoryTag);
        if (!pathIsInsideFolder(folder, home) || overlaps(folder, taken) ||
            platform::itemKind(tag) != platform::ItemKind::Other ||
            platform::itemKind(folder) != platform::ItemKind::Directory ||
            !linux_home::onSameDevice(folder, home) || !isValidCacheDirectoryTag(tag)) {
            continue;
        }
        if (auto file = linuxEntry(folder, linux_home::pathRelativeToHome(folder), QString())) {
            files.append(file);
            taken.append(folder);
        }
    }
    return files;
}

bool QSApplicationCachesItem::isValidCacheDirectoryTag(const QString& path) {
    const auto content = platform::readFileContents(path, 64 * 1024);
    return content && content->startsWith(kCacheDirectoryTagSignature);
}

QSScannedFilePtr QSApplicationCachesItem::linuxEntry(const QString& path, const QString& name,
                                                     const QString& bundleIdentifier) {
    // Built as the base builds entries: the design's name lists are for its own layout.
    QSScannedFilePtr file =
        linux_home::namedEntry(path, name, [this](const QString& p, const QVariantMap& a) {
            return QSScanItem::scannedFileWithPath(p, a);
        });
    if (file && !bundleIdentifier.isEmpty())
        file->setIcon(applicationIconForBundleIdentifier(bundleIdentifier));
    return file;
}
