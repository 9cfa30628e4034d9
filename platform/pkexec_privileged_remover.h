#pragma once

#include "platform/privileged_removal.h"

namespace platform {

// Runs our removal helper as administrator through pkexec, which asks polkit, which asks
// the user for an administrator's password.
class PkexecPrivilegedRemover : public PrivilegedRemover {
public:
    struct Locations {
        QString helperPath;
        QString actionPath;
    };
    // Where the install put the helper and its polkit action.
    static Locations installedLocations();

    PkexecPrivilegedRemover() : PkexecPrivilegedRemover(installedLocations()) {}
    explicit PkexecPrivilegedRemover(Locations locations) : locations_(std::move(locations)) {}

    // pkexec is on the PATH and a polkit authority answers on the system bus.
    bool isAvailable() const override;
    // The helper and its action are where the install put them.
    bool isInstalled() const override;
    // pkexec HELPER HANDLER PATH..., started from the main thread whatever thread calls.
    void run(const QString& handler, const QStringList& paths,
             std::function<void()> finished) override;

private:
    Locations locations_;
};

}  // namespace platform
