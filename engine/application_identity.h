#pragma once

#include <QString>

// The program's own bundle identifier, where the cleaner must recognise its own files.
inline const QString kApplicationBundleIdentifier = QStringLiteral("org.sweepwell.Sweepwell");

// The bundle identifiers of the system's own applications begin so: their files are
// never taken for leftovers or junk.
inline const QString kApplePrefix = QStringLiteral("com.apple");

// Whether an application's bundle identifier, as read from a file anyone can write, may
// stand in a file name: one that is empty, "." or "..", or holds "/" or NUL would name
// another folder (a NUL ends the name where the system reads it). Without such an
// identifier nothing can be said to belong to the application.
bool isUsableBundleIdentifier(const QString& identifier);

// The user's cache folder: $XDG_CACHE_HOME, else ~/.cache.
QString userCachesFolder();
