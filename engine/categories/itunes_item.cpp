#include "engine/categories/itunes_item.h"

#include <algorithm>

#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"

namespace {

// These folders were named for a file system that ignores case ("Music/Itunes" is the
// media application's "Music/iTunes"); ours does not, so a component missing as written
// is matched without regard to case.
QString resolvedIgnoringCase(const QString& base, const QString& relative) {
    QString path = base;
    for (const QString& component : relative.split(u'/', Qt::SkipEmptyParts)) {
        QString next = platform::appendPathComponent(path, component);
        if (!platform::fileExistsAtPath(next)) {
            std::vector<platform::DirectoryEntry> entries;
            platform::listDirectory(path, &entries);
            std::sort(entries.begin(), entries.end(),
                      [](const auto& a, const auto& b) { return a.name < b.name; });
            const auto match = std::find_if(entries.begin(), entries.end(), [&](const auto& entry) {
                return entry.name.compare(component, Qt::CaseInsensitive) == 0;
            });
            if (match != entries.end())
                next = match->path;
        }
        path = next;
    }
    return path;
}

}  // namespace

QStringList QSiTunesItem::paths() const {
    const auto& disk = QSDiskUtilities::sharedInstance();
    const QString library = disk.libraryDirectoryPath();
    const QString home = disk.homeDirectoryPath();
    return {
        resolvedIgnoringCase(library, QStringLiteral("iTunes/iPad Software Updates")),
        resolvedIgnoringCase(library, QStringLiteral("iTunes/iPhone Software Updates")),
        resolvedIgnoringCase(home, QStringLiteral("Music/Itunes/Previous iTunes Libraries")),
        resolvedIgnoringCase(home, QStringLiteral("Pictures/iPhoto Library/iPod Photo Cache")),
        resolvedIgnoringCase(
            home, QStringLiteral("Pictures/iPhoto Library.migratedphotolibrary/iPod Photo Cache")),
    };
}
