#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace platform {

// A folder Flatpak installs applications into: the user's own
// ($XDG_DATA_HOME/flatpak), the system-wide one, or one that
// /etc/flatpak/installations.d adds (`name` is then its id, as `--installation` takes).
struct FlatpakInstallation {
    enum class Kind { User, System, Named };
    Kind kind = Kind::User;
    QString name;
    QString path;
    bool operator==(const FlatpakInstallation&) const = default;
};

// An application deployed in an installation: `folder` is app/<id>, `deployment` the
// active deployment of its current branch (null when the current link is missing).
struct FlatpakApplication {
    QString id;
    FlatpakInstallation installation;
    QString folder;
    QString deployment;
};

// What the system says about sandboxed applications, and Flatpak's tool.
class FlatpakInstallations {
public:
    virtual ~FlatpakInstallations() = default;
    // The system-wide installations: the default one, then those of installations.d.
    virtual QList<FlatpakInstallation> systemInstallations() const = 0;
    // Where installed snaps are mounted (/snap, or snapd's own folder where a
    // distribution keeps no /snap); empty when unknown.
    virtual QStringList snapFolders() const = 0;
    // Uninstalls the application from the installation with Flatpak's own tool, which
    // asks for authentication itself for a system installation. False with the reason
    // when the tool could not be run or failed.
    virtual bool uninstall(const FlatpakInstallation& installation, const QString& id,
                           QString* failure) = 0;
};

// Flatpak's folders and its `flatpak` program, looked up in PATH at each use.
class LinuxFlatpakInstallations : public FlatpakInstallations {
public:
    struct Folders {
        QString system = QStringLiteral("/var/lib/flatpak");
        QString configs = QStringLiteral("/etc/flatpak/installations.d");
        QStringList snaps{QStringLiteral("/snap"), QStringLiteral("/var/lib/snapd/snap")};
    };
    LinuxFlatpakInstallations() = default;
    explicit LinuxFlatpakInstallations(Folders folders) : folders_(std::move(folders)) {}

    QList<FlatpakInstallation> systemInstallations() const override;
    QStringList snapFolders() const override { return folders_.snaps; }
    bool uninstall(const FlatpakInstallation& installation, const QString& id,
                   QString* failure) override;

    // The [Installation "id"] groups of an installations.d file that name a Path.
    static QList<FlatpakInstallation> parseInstallationsConfig(const QByteArray& text);
    // The tool's arguments; empty for an id that is not one Flatpak accepts (it could
    // then pass for an option).
    static QStringList uninstallArguments(const FlatpakInstallation& installation,
                                          const QString& id);

private:
    Folders folders_;
};

// Whether the name is a Flatpak application id: reverse-DNS, at least three parts.
bool isFlatpakId(const QString& name);
// The applications with a deployment in the installation, by id.
QList<FlatpakApplication> installedFlatpakApplications(const FlatpakInstallation& installation);
// Whether the installation holds anything for the id (even half-removed, it is the
// installation's, never a leftover).
bool holdsFlatpakApplication(const FlatpakInstallation& installation, const QString& id);
// The names of applications in the AppStream catalogues the installation's remotes
// last sent, by id; the catalogues stay after an application is uninstalled.
QHash<QString, QString> flatpakApplicationNames(const FlatpakInstallation& installation);
// The untranslated <name> of each <component> of an AppStream catalogue, by <id>
// (without the ".desktop" that older catalogues add).
QHash<QString, QString> parseAppStreamNames(const QByteArray& xml);

}  // namespace platform
