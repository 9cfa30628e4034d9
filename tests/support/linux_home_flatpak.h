#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <utility>

#include "platform/fakes/fake_flatpak_installations.h"
#include "tests/support/fixture_home.h"

// Builds what Flatpak, Snap and AppImages leave in a Linux home and on its system, inside a
// FixtureHome. Installations are given relative to the home: the user's own inside it,
// the system's in the fixture's root beside it.
namespace linux_home_flatpak {

inline const QString kUserInstallation = QStringLiteral(".local/share/flatpak");
inline const QString kSystemInstallation = QStringLiteral("../../system/var/lib/flatpak");
inline const QString kExtraInstallation = QStringLiteral("../../system/mnt/sd/flatpak");
inline const QString kSnaps = QStringLiteral("../../system/snap");

// The installation's absolute path, without "..".
QString pathOf(const FixtureHome& home, const QString& relative);
platform::FlatpakInstallation installation(const FixtureHome& home, const QString& relative,
                                           platform::FlatpakInstallation::Kind kind,
                                           const QString& name);

// Makes Flatpak's fake know the system installation (and the extra one, when asked) and
// the snap folder of the fixture; returns the fake.
platform::fakes::FakeFlatpakInstallations& useFixtureSystem(const FixtureHome& home,
                                                            bool withExtra = false);

// app/<id>/x86_64/stable/<commit> in the installation with a program of `size` bytes and
// Flatpak's "deploy" file dated `deployed`, the "active" and "current" links that make
// it the application's deployment. Returns app/<id>.
QString deploy(FixtureHome& home, const QString& installation, const QString& id, quint64 size,
               const QDateTime& deployed);
// The AppStream catalogue a remote sent, naming the applications (id, name); older
// catalogues give ids ending in ".desktop" and translated names beside the original.
void appStream(FixtureHome& home, const QString& installation, const QString& remote,
               const QList<std::pair<QString, QString>>& names);

// ~/.var/app/<id>/<relative>, `size` bytes, last read and written at `used`. Returns
// its path.
QString flatpakData(FixtureHome& home, const QString& id, const QString& relative, quint64 size,
                    const QDateTime& used);
// An installed snap: its folder in the fixture's snap folder.
void installSnap(FixtureHome& home, const QString& name);

// An AppImage (ELF with the AppImage type 2 mark) of `size` bytes at least, last read at
// `accessed` and written at `modified`.
QString appImage(FixtureHome& home, const QString& relative, quint64 size,
                 const QDateTime& accessed, const QDateTime& modified);
// ~/.local/share/applications/<name>.desktop starting `exec`, showing `icon`.
QString launcher(FixtureHome& home, const QString& name, const QString& exec, const QString& icon);

}  // namespace linux_home_flatpak
