#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The user's own systemd units, read from their files rather than asked of the service
// manager: a home is then judged the same with or without a running manager, and the
// unit folder read is the one of the home being scanned.
namespace platform {

// The programs a service unit starts: one per ExecStart line of the unit file and then
// of its drop-ins (<unit>.d/*.conf in name order), an empty "ExecStart=" clearing those
// before it. "%h" stands for `home`. Nothing when the file cannot be read, or when a
// program can only be told by the manager (other specifiers, variables).
std::optional<QStringList> serviceExecPrograms(const QString& unitPath, const QString& home);

// The program of one ExecStart value, its prefixes ("-", "@", "+", ...) and quoting
// removed; null when it can only be told by the manager.
QString execStartProgram(const QString& value, const QString& home);

// Whether systemd would find the program: an absolute path that exists, or a bare name in
// its fixed search path. A relative path with a folder is refused by systemd: missing.
bool unitProgramExists(const QString& program);

struct WantsLink {
    QString path;    // <unit folder>/<target>.wants/<unit>
    QString unit;    // the link's name
    QString target;  // where it points, made absolute; null when it cannot be read
};

// The links in the *.wants folders of the unit folder: how `systemctl --user enable`
// records that a unit starts with the session.
QList<WantsLink> wantsLinks(const QString& unitFolder);

}  // namespace platform
