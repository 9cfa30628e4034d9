#pragma once

#include <QString>

// The icon of the installed application with this bundle identifier, as the workspace
// finds it; empty when no such application is installed.
QString applicationIconForBundleIdentifier(const QString& bundleIdentifier);

// Whether the workspace knows an installed application with this bundle identifier.
bool isApplicationInstalled(const QString& bundleIdentifier);
