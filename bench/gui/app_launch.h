#pragma once

#include <memory>

#include "app/app_delegate.h"
#include "app/app_options.h"
#include "app/single_instance.h"

// The application's start-up once its QApplication exists, step for step as the entry
// point runs it: the names, the folders, the single-instance lock, the removal log and the
// launch sequence, which shows the main window.
class AppLaunch {
public:
    explicit AppLaunch(const AppOptions& options);
    ~AppLaunch();

    // Null when an instance for the same home was running and was asked to come forward
    // instead (the entry point then returns at once).
    AppDelegate* delegate() const { return delegate_.get(); }

    // The single-instance socket for `home` that a start-up left when it ended without its
    // teardown, as the benchmarks end their children.
    static void removeLeftSocket(const QString& home);

private:
    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<AppDelegate> delegate_;
};
