#pragma once

#include <QList>
#include <functional>

#include "platform/flatpak_installations.h"

namespace platform::fakes {

// Flatpak as the test plays it: the system installations and snap folders it sets, and a
// tool that does what `act` says (by default nothing, and succeeds).
class FakeFlatpakInstallations : public FlatpakInstallations {
public:
    struct Call {
        FlatpakInstallation installation;
        QString id;
    };

    QList<FlatpakInstallation> installations;
    QStringList snaps;
    std::function<bool(const FlatpakInstallation&, const QString& id, QString* failure)> act;

    QList<FlatpakInstallation> systemInstallations() const override { return installations; }
    QStringList snapFolders() const override { return snaps; }
    bool uninstall(const FlatpakInstallation& installation, const QString& id,
                   QString* failure) override;
    const QList<Call>& calls() const { return calls_; }

    // A tool that removes the application's folder from the installation, as Flatpak does.
    static bool removeApplicationFolder(const FlatpakInstallation& installation, const QString& id,
                                        QString* failure);

private:
    QList<Call> calls_;
};

}  // namespace platform::fakes
