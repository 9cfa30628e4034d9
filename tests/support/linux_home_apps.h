#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "tests/support/fixture_home.h"

// Builds what desktop applications leave in a Linux home, inside a FixtureHome: browser
// profiles with their user data beside their caches, mail stores beside mail caches,
// tagged cache folders, logs beside histories and state, core dumps. Sizes are those of
// the cache (or log) files each builder writes; user data always has other sizes.
namespace linux_home_apps {

// Where an application sees its home: the user's own, or a Flatpak or Snap one. All
// folders relative to the fixture home.
struct AppHome {
    QString root;  // "" for the user's own home
    QString cache;
    QString config;

    static AppHome native();
    static AppHome flatpak(const QString& id);
    static AppHome snap(const QString& name);
    QString inRoot(const QString& relative) const;
};

// A Firefox profiles.ini listing the profiles (relative paths) in `root`/.mozilla/firefox,
// each profile folder with cookies, history and logins (user data), and each profile's
// cache folder with cache2 and startupCache holding `cacheSize` bytes each. Returns the
// profiles folder.
QString firefox(FixtureHome& home, const AppHome& at, const QStringList& profiles,
                quint64 cacheSize);
// The lock link a running Firefox holds in the profile.
void firefoxRunning(FixtureHome& home, const AppHome& at, const QString& profile);

// A Chromium-family browser (`folder` as in "google-chrome") with one profile: cookies,
// history, login data, site and service-worker storage in the config home (user data);
// Cache and Code Cache in the cache home and GPUCache in the config home of `size` bytes
// each, and the browser's ShaderCache of `size` bytes.
void chromium(FixtureHome& home, const AppHome& at, const QString& folder, const QString& profile,
              quint64 size);
// The SingletonLock link a running Chromium browser holds.
void chromiumRunning(FixtureHome& home, const AppHome& at, const QString& folder);

// A Thunderbird profile: local folders and IMAP mail in ~/.thunderbird (the only copy of
// that mail) and a cache of `size` bytes in the cache home.
void thunderbird(FixtureHome& home, const QString& profile, quint64 size);
void thunderbirdRunning(FixtureHome& home, const QString& profile);
// The user data paths the mail and browser builders write, relative to the home.
QStringList mailStores(const QString& profile);
QStringList chromiumUserData(const AppHome& at, const QString& folder, const QString& profile);
QStringList firefoxUserData(const AppHome& at, const QString& profile);

// A folder holding a CACHEDIR.TAG (with a valid signature or not) and a file of `size`
// bytes. Returns the tag's path.
QString taggedFolder(FixtureHome& home, const QString& relative, bool valid, quint64 size);
// Makes the fake metadata search answer these tags for the home, as the index would.
void answerTagSearch(const FixtureHome& home, const QStringList& tags);

// A file of `size` bytes (at least the header) starting with an ELF header of the type
// (ET_CORE, ET_EXEC, ...) in either byte order.
QString elfFile(FixtureHome& home, const QString& relative, quint16 type, bool bigEndian,
                quint64 size);

}  // namespace linux_home_apps
