#pragma once

#include <QStringList>

#include "platform/desktop_entry.h"
#include "platform/login_items.h"

namespace platform {

// The session's login items as XDG autostart entries: the user's folder
// ($XDG_CONFIG_HOME/autostart) over the system's ($XDG_CONFIG_DIRS/autostart), a user
// file hiding a system file of the same name. An entry's id is its file name.
// Switching an entry off never deletes it: the user's own file gets "Hidden=true", and a
// system file is hidden by a user file of the same name that says so.
class XdgAutostartLoginItems : public SessionLoginItems {
public:
    // The folders from the environment.
    XdgAutostartLoginItems();
    XdgAutostartLoginItems(QString userFolder, QStringList systemFolders);
    // The system's autostart folders, from $XDG_CONFIG_DIRS (else /etc/xdg).
    static QStringList systemFoldersFromEnvironment();

    QList<LoginListEntry> snapshot() const override;
    bool insertItemLast(const QString& path, Error* error) override;
    bool removeItem(const LoginListEntry& entry, Error* error) override;

    // The path an Exec program stands for: bare names are looked up on the PATH, and a
    // program inside an application bundle stands for the bundle. Empty when the program
    // does not exist.
    static std::optional<QString> resolveProgram(const QString& program);

    struct ActiveFile {
        QString name;
        QString path;
        bool isUser;
        // A user file that stands in for a system file of the same name: taking it away
        // would bring the system's back.
        bool coversSystemFile;
        DesktopEntry entry;
    };
    // The entries that start something at login, by name: those switched off and files
    // that are not desktop entries are left out.
    QList<ActiveFile> activeFiles() const;

private:
    struct Located {
        QString name;
        QString path;
        bool isUser;
    };
    // Every entry file by name, the first folder in precedence order winning.
    QList<Located> effectiveFiles() const;
    QString systemFileNamed(const QString& name) const;
    std::optional<QString> switchedOffEntry(const QString& path) const;
    bool switchOn(const QString& name, Error* error);
    QString newUserFileName(const QString& path) const;
    void ensureUserFolder() const;

    QString userFolder_;
    QStringList systemFolders_;
};

// Whether the program a desktop entry starts is missing: its TryExec, or the first word
// of its Exec (with the Exec quoting rules, so a quoted path with spaces is one program),
// looked up on the PATH when it has no folder. The rules allow no other relative path:
// such a program is missing. An entry that names no program is never broken.
bool desktopEntryProgramIsMissing(const DesktopEntry& entry);

}  // namespace platform
