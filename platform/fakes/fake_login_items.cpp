#include "platform/fakes/fake_login_items.h"

#include <cerrno>

namespace platform::fakes {

QList<LoginListEntry> FakeSessionLoginItems::snapshot() const {
    std::lock_guard lock(mutex_);
    QList<LoginListEntry> list;
    for (qsizetype i = 0; i < paths_.size(); ++i) {
        const QString& path = paths_[i];
        list.append({path, unresolvable.contains(path) ? std::nullopt : std::optional(path), path});
    }
    return list;
}

bool FakeSessionLoginItems::insertItemLast(const QString& path, Error*) {
    std::lock_guard lock(mutex_);
    if (!paths_.contains(path)) paths_.append(path);
    return true;
}

bool FakeSessionLoginItems::removeItem(const LoginListEntry& entry, Error* error) {
    std::lock_guard lock(mutex_);
    if (paths_.removeOne(entry.id)) return true;
    if (error) *error = Error::fromErrno(ENOENT, entry.id);
    return false;
}

QStringList FakeSessionLoginItems::paths() const {
    std::lock_guard lock(mutex_);
    return paths_;
}

bool RecordingLaunchControl::start(const QStringList& arguments) {
    std::lock_guard lock(mutex_);
    calls_.append(arguments);
    return true;
}

QList<QStringList> RecordingLaunchControl::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

bool RecordingUserServices::setEnabled(const QString& unit, bool enabled, Error* error) {
    {
        std::lock_guard lock(mutex_);
        calls_.append({unit, enabled});
    }
    if (failure) {
        if (error) *error = *failure;
        return false;
    }
    if (onSwitch) onSwitch(unit, enabled);
    return true;
}

QList<std::pair<QString, bool>> RecordingUserServices::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

}  // namespace platform::fakes
