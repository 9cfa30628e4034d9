#pragma once

#include <QString>

// The program's own bundle identifier, where the cleaner must recognise its own files.
inline const QString kApplicationBundleIdentifier = QStringLiteral("org.sweepwell.Sweepwell");

// The user's cache folder: $XDG_CACHE_HOME, else ~/.cache.
QString userCachesFolder();
