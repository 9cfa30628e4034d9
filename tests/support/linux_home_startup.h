#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "tests/support/fixture_home.h"

// Builds what starts with a Linux session inside a FixtureHome: autostart entries of the
// user and of the system, systemd user units with the links that enable them, and the
// user's launchers. Paths are relative to the home unless they begin with "/".
namespace linux_home_startup {

// The system's configuration folder of the fixture (its autostart entries live in
// "<kSystemConfig>/autostart"); ScopedSystemConfig points the process at it.
inline const QString kSystemConfig = QStringLiteral("etc-xdg");
inline const QString kUnitFolder = QStringLiteral(".config/systemd/user");

// An executable file of one byte.
QString program(FixtureHome& home, const QString& relative);

// "[Desktop Entry]\nType=Application\n" followed by `lines` (each ending in "\n").
QByteArray desktopEntry(const QByteArray& lines);
// An Exec value that starts the program at the absolute path, quoted as the Exec rules
// ask, followed by `arguments`.
QByteArray execLine(const QString& program, const QByteArray& arguments = QByteArray());

QString userAutostart(FixtureHome& home, const QString& name, const QByteArray& lines);
QString systemAutostart(FixtureHome& home, const QString& name, const QByteArray& lines);
QString launcher(FixtureHome& home, const QString& relative, const QByteArray& content);

// A user unit in .config/systemd/user with a [Service] section of `serviceLines`.
QString userUnit(FixtureHome& home, const QString& unit, const QByteArray& serviceLines);
// Enables a unit as `systemctl --user enable` does: the link <target>.wants/<unit>
// pointing at the unit file (or at `target`, given absolute).
QString wantsLink(FixtureHome& home, const QString& wantedBy, const QString& unit,
                  const QString& target = QString());

// Points $XDG_CONFIG_DIRS at the fixture's system folder while alive.
class ScopedSystemConfig {
public:
    explicit ScopedSystemConfig(const FixtureHome& home);
    ~ScopedSystemConfig();
    ScopedSystemConfig(const ScopedSystemConfig&) = delete;
    ScopedSystemConfig& operator=(const ScopedSystemConfig&) = delete;

private:
    QByteArray saved_;
    bool wasSet_;
};

}  // namespace linux_home_startup
