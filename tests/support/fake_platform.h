#pragma once

#include <memory>

#include "engine/disk_utilities.h"
#include "platform/fakes/fake_login_items.h"
#include "platform/fakes/fake_metadata_search.h"
#include "platform/fakes/fakes.h"
#include "platform/services.h"
#include "tests/support/recording_system_log.h"

// Installs fake host services reporting `home` as the home folder and a recording log;
// restores both afterwards. The engine's locations are computed from the fake services
// at once, as the program computes them at start, and follow every later swap of the
// services by themselves.
class FakePlatform {
public:
    explicit FakePlatform(const QString& home, QList<platform::MountedVolume> volumes = {})
        : services_(make(home, std::move(volumes))) {
        QSDiskUtilities::sharedInstance();
    }

    RecordingSystemLog& log() { return log_.recorder(); }
    platform::fakes::FakeFileCoordinator& coordinator() {
        return static_cast<platform::fakes::FakeFileCoordinator&>(
            *platform::services().fileCoordinator);
    }

    platform::fakes::FakeMetadataSearch& metadata() {
        return static_cast<platform::fakes::FakeMetadataSearch&>(*platform::services().metadata);
    }
    platform::fakes::FakeSessionLoginItems& loginItems() {
        return static_cast<platform::fakes::FakeSessionLoginItems&>(
            *platform::services().loginItems);
    }
    platform::fakes::RecordingLaunchControl& launchControl() {
        return static_cast<platform::fakes::RecordingLaunchControl&>(
            *platform::services().launchControl);
    }
    void setUserJobs(QList<QVariantMap> jobs) {
        platform::services().userJobs =
            std::make_shared<platform::fakes::FakeUserJobs>(std::move(jobs));
    }
    void setNotificationGate(bool open) {
        platform::services().notificationGate =
            std::make_shared<platform::fakes::FakeNotificationGate>(open);
    }

private:
    static platform::Services make(const QString& home, QList<platform::MountedVolume> volumes) {
        platform::Services services = platform::fakes::fakeServices(home);
        services.volumes = std::make_shared<platform::fakes::FakeVolumeList>(std::move(volumes));
        // Searches run behind the notification gate; tests close it where they need to.
        services.notificationGate = std::make_shared<platform::fakes::FakeNotificationGate>(true);
        return services;
    }

    // Declared first: what the swaps of the services log goes to the recording.
    RecordedLog log_;
    platform::ScopedServices services_;
};
