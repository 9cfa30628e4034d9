#include "engine/categories/application_icon.h"

#include "platform/services.h"

QString applicationIconForBundleIdentifier(const QString& bundleIdentifier) {
    const auto workspace = platform::services().workspace;
    if (!workspace)
        return QString();
    const QString application = workspace->urlForApplicationWithBundleIdentifier(bundleIdentifier);
    return application.isNull() ? QString() : workspace->iconForFile(application);
}

bool isApplicationInstalled(const QString& bundleIdentifier) {
    const auto workspace = platform::services().workspace;
    return workspace &&
           !workspace->urlForApplicationWithBundleIdentifier(bundleIdentifier).isNull();
}
