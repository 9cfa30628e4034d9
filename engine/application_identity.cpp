#include "engine/application_identity.h"

#include "engine/disk_utilities.h"
#include "platform/file_path.h"

QString userCachesFolder() {
    const QString xdg = platform::decodePath(qgetenv("XDG_CACHE_HOME"));
    if (xdg.startsWith(u'/')) return xdg;
    return QSDiskUtilities::sharedInstance().homeDirectoryPathWithComponent(
        QStringLiteral(".cache"));
}
