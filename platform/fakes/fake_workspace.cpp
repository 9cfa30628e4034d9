#include "platform/fakes/fake_workspace.h"

namespace platform::fakes {

void FakeWorkspace::addApplication(const QString& bundleIdentifier, const QString& path,
                                   const QString& icon) {
    std::lock_guard lock(mutex_);
    applications_.insert(bundleIdentifier, path);
    icons_.insert(path, icon);
}

void FakeWorkspace::removeApplication(const QString& bundleIdentifier) {
    std::lock_guard lock(mutex_);
    icons_.remove(applications_.take(bundleIdentifier));
}

void FakeWorkspace::setIcon(const QString& path, const QString& icon) {
    std::lock_guard lock(mutex_);
    icons_.insert(path, icon);
}

QString FakeWorkspace::urlForApplicationWithBundleIdentifier(
    const QString& bundleIdentifier) const {
    std::lock_guard lock(mutex_);
    return applications_.value(bundleIdentifier);
}

QString FakeWorkspace::iconForFile(const QString& path) const {
    std::lock_guard lock(mutex_);
    return icons_.value(path);
}

}  // namespace platform::fakes
