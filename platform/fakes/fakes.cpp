#include "platform/fakes/fakes.h"

#include "platform/fakes/fake_flatpak_installations.h"
#include "platform/fakes/fake_login_items.h"
#include "platform/fakes/fake_metadata_search.h"
#include "platform/fakes/fake_workspace.h"

namespace platform::fakes {

void FakeFileCoordinator::addFilePresenter(FilePresenter* presenter) {
    std::lock_guard lock(mutex_);
    presenters_.append(presenter);
}

void FakeFileCoordinator::removeFilePresenter(FilePresenter* presenter) {
    std::lock_guard lock(mutex_);
    presenters_.removeAll(presenter);
}

int FakeFileCoordinator::presenterCount() const {
    std::lock_guard lock(mutex_);
    return int(presenters_.size());
}

void FakeFileCoordinator::simulateMove(const QString& from, const QString& to) {
    std::lock_guard lock(mutex_);
    const QList<FilePresenter*> current = presenters_;
    for (FilePresenter* presenter : current) {
        if (presenters_.contains(presenter) && presenter->presentedItemPath() == from) {
            presenter->presentedItemDidMoveTo(to);
        }
    }
}

Services fakeServices(const QString& home) {
    return Services{std::make_shared<FixedHomeFolder>(home),
                    std::make_shared<FakeVolumeList>(),
                    std::make_shared<FakeFileCoordinator>(),
                    std::make_shared<FakeNotificationGate>(),
                    std::make_shared<FakeWorkspace>(),
                    std::make_shared<FakeMetadataSearch>(),
                    std::make_shared<FakeSessionLoginItems>(),
                    std::make_shared<FakeUserJobs>(),
                    std::make_shared<RecordingLaunchControl>(),
                    std::make_shared<FakeOpenFiles>(),
                    std::make_shared<FakeDebianPackages>(),
                    nullptr,
                    std::make_shared<FakeFlatpakInstallations>(),
                    std::make_shared<RecordingUserServices>()};
}

}  // namespace platform::fakes
