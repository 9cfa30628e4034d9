#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include "engine/scan_model.h"
#include "platform/flatpak_installations.h"

// An installed Flatpak application. Its files belong to Flatpak: removing the entry runs
// Flatpak's own uninstall and never deletes a file by hand, and succeeds only when no
// deployment of the application is left.
class QSFlatpakApplicationFile : public QSScannedFile {
public:
    explicit QSFlatpakApplicationFile(platform::FlatpakApplication application)
        : application_(std::move(application)) {}
    const platform::FlatpakApplication& application() const { return application_; }
    bool removeItem(platform::Error* error) override;

private:
    platform::FlatpakApplication application_;

    bool isDeployed() const;
};

// The applications a person installed on a Linux desktop beside the system's package
// manager (whose packages are its own and never offered here).
namespace linux_apps {

// The user's Flatpak installation first, then the system-wide ones.
QList<platform::FlatpakInstallation> flatpakInstallations();

// The names of Flatpak applications in the AppStream catalogues of every installation,
// by id, and the name to show for an id: its catalogue name, else its last part.
QHash<QString, QString> flatpakNames();
QString flatpakName(const QHash<QString, QString>& names, const QString& id);

// Flatpak applications last used before `threshold`: the newest use of their data in
// ~/.var/app/<id>, else when their deployment was made. Entries start unticked and
// their names say which date they carry.
QList<QSScannedFilePtr> unusedFlatpakApplications(const QDateTime& threshold);

// AppImages in ~/Applications, ~/.local/bin, the downloads folder and wherever a
// launcher in the user's applications folder points inside the home, last opened before
// `threshold` (last changed, where the mount does not record openings). Each comes with
// the launchers that start it and the icons only those launchers use.
QList<QSScannedFilePtr> unusedAppImages(const QDateTime& threshold);

}  // namespace linux_apps
