#pragma once

#include <QHash>
#include <mutex>

#include "platform/workspace.h"

namespace platform::fakes {

// Applications and icons as the test declares them.
class FakeWorkspace : public Workspace {
public:
    void addApplication(const QString& bundleIdentifier, const QString& path, const QString& icon);
    void removeApplication(const QString& bundleIdentifier);
    void setIcon(const QString& path, const QString& icon);

    QString urlForApplicationWithBundleIdentifier(const QString& bundleIdentifier) const override;
    QString iconForFile(const QString& path) const override;

private:
    mutable std::mutex mutex_;
    QHash<QString, QString> applications_;
    QHash<QString, QString> icons_;
};

}  // namespace platform::fakes
