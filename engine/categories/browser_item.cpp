#include "engine/categories/browser_item.h"

#include "engine/categories/linux_home_places.h"
#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/services.h"

namespace {

// `profiles` is relative to the application home, `cache` to its cache home.
struct FirefoxFamily {
    const char* name;
    const char* profiles;
    const char* cache;
    const char* icon;
};
constexpr FirefoxFamily kFirefoxFamily[] = {
    {"Firefox", ".mozilla/firefox", "mozilla/firefox", "firefox"},
    {"LibreWolf", ".librewolf", "librewolf", "librewolf"},
    {"Waterfox", ".waterfox", "waterfox", "waterfox"},
};

// `folder` is relative to both the cache and the config home.
struct ChromiumFamily {
    const char* name;
    const char* folder;
    const char* icon;
};
constexpr ChromiumFamily kChromiumFamily[] = {
    {"Chromium", "chromium", "chromium"},
    {"Google Chrome", "google-chrome", "google-chrome"},
    {"Brave", "BraveSoftware/Brave-Browser", "brave-browser"},
    {"Microsoft Edge", "microsoft-edge", "microsoft-edge"},
    {"Vivaldi", "vivaldi", "vivaldi"},
    {"Opera", "opera", "opera"},
};

const QStringList& firefoxCaches() {
    static const QStringList names{QStringLiteral("cache2"), QStringLiteral("startupCache")};
    return names;
}

// Those of a profile in the cache home; Opera keeps them in the browser's folder itself.
const QStringList& chromiumCaches() {
    static const QStringList names{QStringLiteral("Cache"), QStringLiteral("Code Cache")};
    return names;
}

// Compiled shaders, in the config home: in the browser's folder and in each profile.
const QStringList& chromiumGpuCaches() {
    static const QStringList names{QStringLiteral("GPUCache"), QStringLiteral("ShaderCache"),
                                   QStringLiteral("GrShaderCache"),
                                   QStringLiteral("GraphiteDawnCache")};
    return names;
}

QString in(const QString& folder, const char* relative) {
    return platform::appendPathComponent(folder, QLatin1String(relative));
}

struct FirefoxProfile {
    QString path;
    bool relative = true;
};

// The [ProfileN] sections of a profiles.ini. A path that climbs with ".." is dropped: the
// cache folder is found from it.
QList<FirefoxProfile> firefoxProfiles(const QString& profilesIni) {
    QList<FirefoxProfile> profiles;
    const auto content = platform::readFileContents(profilesIni, 1024 * 1024);
    if (!content) return profiles;
    bool inProfile = false;
    FirefoxProfile current;
    const auto finish = [&] {
        if (inProfile && !current.path.isEmpty() &&
            !current.path.split(u'/').contains(QStringLiteral(".."))) {
            profiles.append(current);
        }
    };
    for (const QByteArray& raw : content->split('\n')) {
        const QString line = platform::decodePath(raw.trimmed());
        if (line.startsWith(u'[')) {
            finish();
            inProfile = line.startsWith(QLatin1String("[Profile"));
            current = FirefoxProfile();
        } else if (inProfile && line.startsWith(QLatin1String("Path="))) {
            current.path = line.mid(5);
        } else if (inProfile && line.startsWith(QLatin1String("IsRelative="))) {
            current.relative = line.mid(11) != QLatin1String("0");
        }
    }
    finish();
    return profiles;
}

struct CacheFolder {
    QString path;
    QString name;
};

// The folders `names` in `folder`, shown under their names after `prefix`.
void appendNamed(const QString& folder, const QString& prefix, const QStringList& names,
                 QList<CacheFolder>* folders) {
    for (const QString& leaf : names) {
        folders->append({platform::appendPathComponent(folder, leaf),
                         prefix.isEmpty() ? leaf : platform::appendPathComponent(prefix, leaf)});
    }
}

// The caches of every profile that profiles.ini lists; in use while any profile is.
QList<CacheFolder> firefoxCacheFolders(const linux_home::ApplicationHome& home,
                                       const FirefoxFamily& browser, bool* inUse) {
    QList<CacheFolder> folders;
    QStringList caches;
    // Firefox moves its profiles to the config home; either place may hold them.
    for (const QString& root :
         {in(home.root, browser.profiles), in(home.configHome, browser.cache)}) {
        for (const auto& profile : firefoxProfiles(in(root, "profiles.ini"))) {
            const QString folder =
                profile.relative ? platform::appendPathComponent(root, profile.path) : profile.path;
            *inUse = *inUse || linux_home::isLockLink(in(folder, "lock"));
            const QString name =
                profile.relative ? profile.path : platform::lastPathComponent(profile.path);
            const QString cache =
                platform::appendPathComponent(in(home.cacheHome, browser.cache), name);
            if (caches.contains(cache)) continue;
            caches.append(cache);
            appendNamed(cache, name, firefoxCaches(), &folders);
        }
    }
    return folders;
}

// The profiles' caches in the cache home and the compiled shaders in the settings
// folder: the config home's, or for a Snap the one in the snap's own folder.
QList<CacheFolder> chromiumCacheFolders(const linux_home::ApplicationHome& home,
                                        const ChromiumFamily& browser, bool* inUse) {
    QList<CacheFolder> folders;
    const QString cache = in(home.cacheHome, browser.folder);
    appendNamed(cache, QString(), chromiumCaches(), &folders);
    std::vector<platform::DirectoryEntry> profiles;
    platform::listDirectory(cache, &profiles);
    for (const auto& profile : profiles) {
        if (profile.isDirectory && !chromiumCaches().contains(profile.name))
            appendNamed(profile.path, profile.name, chromiumCaches(), &folders);
    }
    QStringList configs{in(home.configHome, browser.folder)};
    if (!home.name.isNull()) configs.append(in(home.root, browser.folder));
    for (const QString& config : configs) {
        *inUse = *inUse || linux_home::isLockLink(in(config, "SingletonLock"));
        appendNamed(config, QString(), chromiumGpuCaches(), &folders);
        profiles.clear();
        platform::listDirectory(config, &profiles);
        for (const auto& profile : profiles) {
            if (profile.isDirectory && !chromiumGpuCaches().contains(profile.name))
                appendNamed(profile.path, profile.name, chromiumGpuCaches(), &folders);
        }
    }
    return folders;
}

QString groupName(const char* browser, const linux_home::ApplicationHome& home) {
    const QString name = QString::fromLatin1(browser);
    return home.name.isNull() ? name : QStringLiteral("%1 (%2)").arg(name, home.name);
}

QSScannedFilePtr groupOf(const QString& name, const char* icon,
                         const QList<QSScannedFilePtr>& entries, bool inUse) {
    if (entries.isEmpty()) return nullptr;
    auto group = std::make_shared<QSScannedFile>();
    group->setIcon(QString::fromLatin1(icon));
    group->setFiles(entries);
    group->setFileName(inUse ? name + QStringLiteral(" (in use)") : name);
    if (inUse) {
        // Removing a cache from under a running browser can corrupt what it still writes.
        for (const auto& entry : entries) {
            entry->setSelected(false);
            entry->setHasSelectedOverride(true);
        }
        group->setHasSelectedOverride(true);
    }
    return group;
}

}  // namespace

QStringList QSBrowserItem::paths() const {
    const xdg::BaseDirectories base = QSDiskUtilities::sharedInstance().baseDirectories();
    return linux_home::existingFolders({base.cacheHome, base.configHome});
}

QSScanResultPtr QSBrowserItem::actuallyScan() {
    QList<QSScannedFilePtr> groups;
    for (const QSScannedFilePtr& group :
         {chromeItems(), safariItems(), firefoxItems(), operaItems()}) {
        if (group && !group->files().isEmpty()) groups.append(group);
    }
    groups += linuxBrowserGroups();
    return std::make_shared<QSScanResult>(title(), key(), 0, groups, kPathMarkerLarge);
}

QSScannedFilePtr QSBrowserItem::chromeItems() {
    return browserGroup(
        QStringLiteral("com.google.Chrome"), QStringLiteral("Chrome"),
        {QStringLiteral("Application Support/Google/Chrome/Default/Local Storage"),
         QStringLiteral("Application Support/Google/Chrome/Default/IndexedDB"),
         QStringLiteral("Caches/Google/Chrome/Default/Cache"),
         QStringLiteral("Caches/Google/Chrome/Default/Media Cache"),
         QStringLiteral("Application Support/Google/Chrome/Default/History Provider Cache")},
        Listing::FolderEntries);
}

QSScannedFilePtr QSBrowserItem::safariItems() {
    return browserGroup(QStringLiteral("com.apple.Safari"), QStringLiteral("Safari"),
                        {QStringLiteral("Caches/com.apple.Safari/Cache.db"),
                         QStringLiteral("Caches/Metadata/Safari/History/"),
                         QStringLiteral("Caches/com.apple.Safari/Webpage Previews/"),
                         QStringLiteral("Caches/com.apple.Safari/fsCachedData"),
                         QStringLiteral("Safari/LocalStorage")},
                        Listing::FileOrFolder);
}

QSScannedFilePtr QSBrowserItem::firefoxItems() {
    return browserGroup(QStringLiteral("org.mozilla.firefox"), QStringLiteral("Firefox"),
                        {QStringLiteral("Caches/Firefox/")}, Listing::FileOrFolder);
}

QSScannedFilePtr QSBrowserItem::operaItems() {
    return browserGroup(
        QStringLiteral("com.operasoftware.Opera"), QStringLiteral("Opera"),
        {QStringLiteral("Application Support/com.operasoftware.Opera/History Provider Cache")},
        Listing::FileOrFolder);
}

QSScannedFilePtr QSBrowserItem::browserGroup(const QString& bundleIdentifier,
                                             const QString& groupName,
                                             const QStringList& libraryPaths, Listing listing) {
    const auto workspace = platform::services().workspace;
    const QString application =
        workspace ? workspace->urlForApplicationWithBundleIdentifier(bundleIdentifier) : QString();
    if (application.isNull()) return nullptr;
    const auto& disk = QSDiskUtilities::sharedInstance();
    QList<QSScannedFilePtr> entries;
    for (const QString& relative : libraryPaths) {
        entries += entriesAt(disk.libraryPathWithComponent(relative), listing);
    }
    auto group = std::make_shared<QSScannedFile>();
    group->setFileName(groupName);
    group->setIcon(workspace->iconForFile(application));
    group->setFiles(entries);
    return group;
}

QList<QSScannedFilePtr> QSBrowserItem::entriesAt(const QString& path, Listing listing) {
    if (listing == Listing::FolderEntries) return enumerateDirectoryWithPath(path);
    if (!platform::fileExistsAtPath(path)) return {};
    if (platform::itemKind(path) == platform::ItemKind::Directory)
        return enumerateDirectoryWithPath(path);
    // A file (or a link to one): the link itself is the entry, never what it points to.
    return {scannedFileWithPath(path, QVariantMap())};
}

QList<QSScannedFilePtr> QSBrowserItem::linuxBrowserGroups() {
    QList<QSScannedFilePtr> groups;
    const auto add = [&](const char* browser, const char* icon,
                         const linux_home::ApplicationHome& home, const QList<CacheFolder>& folders,
                         bool inUse) {
        QList<QSScannedFilePtr> entries;
        for (const auto& folder : folders)
            appendFolder(folder.path, folder.name, &entries);
        if (auto group = groupOf(groupName(browser, home), icon, entries, inUse))
            groups.append(group);
    };
    for (const auto& home : linux_home::applicationHomes()) {
        for (const auto& browser : kFirefoxFamily) {
            bool inUse = false;
            const QList<CacheFolder> folders = firefoxCacheFolders(home, browser, &inUse);
            add(browser.name, browser.icon, home, folders, inUse);
        }
        for (const auto& browser : kChromiumFamily) {
            bool inUse = false;
            const QList<CacheFolder> folders = chromiumCacheFolders(home, browser, &inUse);
            add(browser.name, browser.icon, home, folders, inUse);
        }
    }
    return groups;
}

void QSBrowserItem::appendFolder(const QString& path, const QString& name,
                                 QList<QSScannedFilePtr>* files) {
    if (platform::itemKind(path) != platform::ItemKind::Directory) return;
    const auto build = [this](const QString& p, const QVariantMap& a) {
        return scannedFileWithPath(p, a);
    };
    if (auto file = linux_home::namedEntry(path, name, build)) files->append(file);
}
