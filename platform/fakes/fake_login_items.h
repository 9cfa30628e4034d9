#pragma once

#include <QStringList>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/login_items.h"

namespace platform::fakes {

// A login-items list in memory. Paths in `unresolvable` stay in the list but do not
// resolve.
class FakeSessionLoginItems : public SessionLoginItems {
public:
    explicit FakeSessionLoginItems(QStringList paths = {}) : paths_(std::move(paths)) {}
    QList<LoginListEntry> snapshot() const override;
    bool insertItemLast(const QString& path, Error* error) override;
    bool removeItem(const LoginListEntry& entry, Error* error) override;
    QStringList paths() const;
    QStringList unresolvable;

private:
    mutable std::mutex mutex_;
    QStringList paths_;
};

class FakeUserJobs : public UserJobs {
public:
    explicit FakeUserJobs(QList<QVariantMap> jobs = {}) : jobs_(std::move(jobs)) {}
    QList<QVariantMap> allJobDictionaries() const override { return jobs_; }

private:
    QList<QVariantMap> jobs_;
};

class RecordingLaunchControl : public LaunchControl {
public:
    bool start(const QStringList& arguments) override;
    QList<QStringList> calls() const;

private:
    mutable std::mutex mutex_;
    QList<QStringList> calls_;
};

// Records every switch of a user service. What the tool would do to the unit links is
// `onSwitch` (nothing unless a test sets it); with `failure` set, every switch fails
// with it and changes nothing.
class RecordingUserServices : public UserServices {
public:
    bool setEnabled(const QString& unit, bool enabled, Error* error) override;
    QList<std::pair<QString, bool>> calls() const;

    std::function<void(const QString& unit, bool enabled)> onSwitch;
    std::optional<Error> failure;

private:
    mutable std::mutex mutex_;
    QList<std::pair<QString, bool>> calls_;
};

}  // namespace platform::fakes
