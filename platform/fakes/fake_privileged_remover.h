#pragma once

#include <QList>

#include "platform/privileged_removal.h"

namespace platform::fakes {

// A helper run as administrator, as the test plays it: available and installed as set,
// removing (with the caller's rights) the paths `removes` accepts, answering at once or
// when the test calls finishPending().
class FakePrivilegedRemover : public PrivilegedRemover {
public:
    struct Call {
        QString handler;
        QStringList paths;
    };

    bool available = true;
    bool installed = true;
    // Which of the given paths the helper removes; all of them unless set.
    std::function<bool(const QString& path)> removes;
    // Answers only when finishPending() is called.
    bool deferred = false;

    bool isAvailable() const override { return available; }
    bool isInstalled() const override { return installed; }
    void run(const QString& handler, const QStringList& paths,
             std::function<void()> finished) override;
    void finishPending();
    const QList<Call>& calls() const { return calls_; }

private:
    QList<Call> calls_;
    QList<std::function<void()>> pending_;
};

}  // namespace platform::fakes
