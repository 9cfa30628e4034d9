#include "engine/categories/browser_item.h"

#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/services.h"

QSScanResultPtr QSBrowserItem::actuallyScan() {
    QList<QSScannedFilePtr> groups;
    for (const QSScannedFilePtr& group :
         {chromeItems(), safariItems(), firefoxItems(), operaItems()}) {
        if (group && !group->files().isEmpty())
            groups.append(group);
    }
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
    if (application.isNull())
        return nullptr;
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
    if (listing == Listing::FolderEntries)
        return enumerateDirectoryWithPath(path);
    if (!platform::fileExistsAtPath(path))
        return {};
    if (platform::itemKind(path) == platform::ItemKind::Directory)
        return enumerateDirectoryWithPath(path);
    // A file (or a link to one): the link itself is the entry, never what it points to.
    return {scannedFileWithPath(path, QVariantMap())};
}
