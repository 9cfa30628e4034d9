#pragma once

#include <memory>

#include "engine/disk_utilities.h"
#include "platform/fakes/fakes.h"
#include "platform/services.h"

// Installs fake host services reporting `home` as the home folder, and recomputes the
// engine's locations from them; restores both afterwards.
class FakePlatform {
public:
    explicit FakePlatform(const QString& home, QList<platform::MountedVolume> volumes = {})
        : services_(make(home, std::move(volumes))) {
        QSDiskUtilities::sharedInstance().updatePaths();
    }
    ~FakePlatform() { QSDiskUtilities::sharedInstance().updatePaths(); }

    platform::fakes::RecordingSystemLog& log() {
        return static_cast<platform::fakes::RecordingSystemLog&>(*platform::services().log);
    }
    platform::fakes::FakeFileCoordinator& coordinator() {
        return static_cast<platform::fakes::FakeFileCoordinator&>(
            *platform::services().fileCoordinator);
    }

private:
    static platform::Services make(const QString& home, QList<platform::MountedVolume> volumes) {
        platform::Services services = platform::fakes::fakeServices(home);
        services.volumes = std::make_shared<platform::fakes::FakeVolumeList>(std::move(volumes));
        return services;
    }

    platform::ScopedServices services_;
};
