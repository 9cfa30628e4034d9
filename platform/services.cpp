#include "platform/services.h"

#include <vector>

#include "platform/launch_control.h"
#include "platform/linux_services.h"
#include "platform/linux_workspace.h"
#include "platform/metadata_search_tool.h"
#include "platform/pkexec_privileged_remover.h"
#include "platform/systemd_user_jobs.h"
#include "platform/xdg_autostart.h"

namespace platform {

Services linuxServices() {
    return Services{std::make_shared<LinuxHomeFolder>(),
                    std::make_shared<LinuxVolumeList>(),
                    std::make_shared<InotifyFileCoordinator>(),
                    std::make_shared<DesktopNotificationGate>(),
                    std::make_shared<LinuxWorkspace>(),
                    std::make_shared<ToolMetadataSearch>(),
                    std::make_shared<XdgAutostartLoginItems>(),
                    std::make_shared<SystemdUserJobs>(),
                    std::make_shared<LinuxLaunchControl>(),
                    std::make_shared<ProcOpenFiles>(),
                    std::make_shared<DpkgPackages>(),
                    std::make_shared<PkexecPrivilegedRemover>(),
                    std::make_shared<LinuxFlatpakInstallations>(),
                    std::make_shared<SystemctlUserServices>()};
}

Services& services() {
    static Services current = linuxServices();
    return current;
}

void useFolders(const QString& home, const QString& systemRoot) {
    if (!home.isNull()) services().homeFolder = std::make_shared<FixedHomeFolder>(home);
    if (!systemRoot.isNull()) {
        ToolMetadataSearch::Options search;
        search.systemRoot = systemRoot;
        services().metadata = std::make_shared<ToolMetadataSearch>(search);
        services().flatpak =
            std::make_shared<LinuxFlatpakInstallations>(LinuxFlatpakInstallations::Folders{
                systemRoot + QStringLiteral("/var/lib/flatpak"),
                systemRoot + QStringLiteral("/etc/flatpak/installations.d"),
                {systemRoot + QStringLiteral("/snap"),
                 systemRoot + QStringLiteral("/var/lib/snapd/snap")}});
    }
}

namespace {

std::vector<std::function<void()>>& serviceObservers() {
    static std::vector<std::function<void()>> observers;
    return observers;
}

void servicesChanged() {
    for (const auto& observer : serviceObservers())
        observer();
}

}  // namespace

void observeServiceChanges(std::function<void()> observer) {
    serviceObservers().push_back(std::move(observer));
}

ScopedServices::ScopedServices(Services replacement) : saved_(services()) {
    services() = std::move(replacement);
    servicesChanged();
}

ScopedServices::~ScopedServices() {
    services() = std::move(saved_);
    servicesChanged();
}

}  // namespace platform
