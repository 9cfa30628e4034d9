#pragma once

#include <QStringList>
#include <mutex>

#include "platform/services.h"

// Stand-ins for the host services, for tests.
namespace platform::fakes {

class FakeVolumeList : public VolumeList {
public:
    explicit FakeVolumeList(QList<MountedVolume> volumes = {}) : volumes_(std::move(volumes)) {}
    QList<MountedVolume> mountedVolumes() const override { return volumes_; }

private:
    QList<MountedVolume> volumes_;
};

// Moves happen when the test says so.
class FakeFileCoordinator : public FileCoordinator {
public:
    void addFilePresenter(FilePresenter* presenter) override;
    void removeFilePresenter(FilePresenter* presenter) override;
    int presenterCount() const;
    // Tells every presenter of `from` that its file now lives at `to`.
    void simulateMove(const QString& from, const QString& to);

private:
    mutable std::recursive_mutex mutex_;
    QList<FilePresenter*> presenters_;
};

class FakeNotificationGate : public NotificationGate {
public:
    explicit FakeNotificationGate(bool available = false) : available_(available) {}
    bool hasUserNotificationCenter() const override { return available_; }

private:
    bool available_;
};

// Services for a test: the given home folder, no volumes, a fake
// coordinator, no notification centre, a workspace without applications
// (a FakeWorkspace, see fake_workspace.h) and a search index that lists nothing
// (a FakeMetadataSearch, see fake_metadata_search.h).
Services fakeServices(const QString& home);

}  // namespace platform::fakes
