#include "engine/categories/broken_prefs_item.h"

#include <sys/stat.h>

#include "engine/application_identity.h"
#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/property_list.h"

namespace {

// As the file manager answers it: a link to a folder is a folder.
bool isDirectoryFollowingLinks(const QString& path) {
    struct stat st;
    return ::stat(platform::encodePath(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

QString pathExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot <= 0 ? QString() : name.mid(dot + 1);
}

}  // namespace

QString QSBrokenPrefsItem::path() const {
    return QSDiskUtilities::sharedInstance().libraryPathWithComponent(
        QStringLiteral("Preferences"));
}

QSScanResultPtr QSBrokenPrefsItem::actuallyScan() {
    QList<QSScannedFilePtr> details;
    std::vector<platform::DirectoryEntry> entries;
    platform::listDirectory(path(), &entries);
    for (const auto& entry : entries) {
        if (!isExamined(entry.path, entry.name))
            continue;
        // Only a file that fails to parse is broken; one too large to examine is not.
        if (platform::checkPropertyListFile(entry.path) !=
            platform::PropertyListStatus::Malformed) {
            continue;
        }
        details.append(scannedFileWithPath(entry.path, QVariantMap()));
    }
    return std::make_shared<QSScanResult>(title(), key(), 0, details, kPathMarkerLarge);
}

bool QSBrokenPrefsItem::isExamined(const QString& path, const QString& name) {
    return !name.startsWith(kApplePrefix) && !isDirectoryFollowingLinks(path) &&
           fileIsDeletableAtPath(path) && !name.startsWith(u'.') &&
           pathExtension(name) == QStringLiteral("plist") &&
           !name.contains(QStringLiteral(".lockfile"));
}
