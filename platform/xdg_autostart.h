#pragma once

#include <QStringList>

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

    QList<LoginListEntry> snapshot() const override;
    bool insertItemLast(const QString& path, Error* error) override;
    bool removeItem(const LoginListEntry& entry, Error* error) override;

    // The path an Exec program stands for: bare names are looked up on the PATH, and a
    // program inside an application bundle stands for the bundle. Empty when the program
    // does not exist.
    static std::optional<QString> resolveProgram(const QString& program);

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

}  // namespace platform
