#include "engine/application_identity.h"

#include "engine/disk_utilities.h"
#include "platform/file_path.h"

bool isUsableBundleIdentifier(const QString& identifier) {
    return !identifier.isEmpty() && identifier != u"." && identifier != u".." &&
           !identifier.contains(u'/') && !identifier.contains(QChar(0));
}

QString userCachesFolder() {
    const QString xdg = platform::decodePath(qgetenv("XDG_CACHE_HOME"));
    if (xdg.startsWith(u'/')) return xdg;
    return QSDiskUtilities::sharedInstance().homeDirectoryPathWithComponent(
        QStringLiteral(".cache"));
}
