#include "platform/fakes/fake_flatpak_installations.h"

#include <vector>

#include "platform/file_manager.h"
#include "platform/file_path.h"

namespace platform::fakes {

bool FakeFlatpakInstallations::uninstall(const FlatpakInstallation& installation, const QString& id,
                                         QString* failure) {
    calls_.append({installation, id});
    return act ? act(installation, id, failure) : true;
}

bool FakeFlatpakInstallations::removeApplicationFolder(const FlatpakInstallation& installation,
                                                       const QString& id, QString* failure) {
    std::vector<RemovalFailure> failures;
    removeDirectory(appendPathComponent(installation.path, QStringLiteral("app/") + id), false,
                    &failures);
    if (failures.empty()) return true;
    if (failure) *failure = failures.front().error.toString();
    return false;
}

}  // namespace platform::fakes
