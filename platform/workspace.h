#pragma once

#include <QString>

namespace platform {

// The desktop's knowledge of installed applications and of icons. Icons are references,
// never images, so that the engine needs no GUI library: the path of an image file (an
// .icns, .png or .svg) or the name of an icon in the desktop's icon theme.
class Workspace {
public:
    virtual ~Workspace() = default;
    // Where the application with this bundle identifier is installed: its .app bundle, or
    // its desktop entry file. A null string when no such application is installed.
    virtual QString urlForApplicationWithBundleIdentifier(
        const QString& bundleIdentifier) const = 0;
    // The icon of the application or file at the path; empty when nothing is there.
    virtual QString iconForFile(const QString& path) const = 0;
};

}  // namespace platform
