#pragma once

#include <QList>
#include <functional>
#include <memory>

#include "app/app_options.h"
#include "bench/gui/app_launch.h"

// One pause of the main thread between two beats of the heartbeat.
struct HeartbeatGap {
    double lengthMs = 0;
    // How much of it the main thread was runnable but had no core.
    double waitingForCoreMs = 0;
};

struct FirstScan {
    bool completed = false;
    double firstFrameClockMs = 0;  // the monotonic clock at the first frame
    double scanMs = 0;             // from the first frame to the end of the scan
    QList<HeartbeatGap> gaps;
    // The running application, left to the caller: it may still look at it, and
    // decides when it is torn down.
    std::unique_ptr<AppLaunch> application;
};

// Starts the application on a QApplication that exists, as its entry point does, and runs
// the event loop until the results screen's first scan has completed (every category
// finished and the completion handled) or `timeoutMs` has passed. From the main window's
// first frame on, a heartbeat timer every 5 ms on the main thread records each gap.
// `launched` is called once the main window is shown, with the application's delegate.
FirstScan runFirstScan(const AppOptions& options, int timeoutMs,
                       const std::function<void(AppDelegate&)>& launched = {});

// The longest of a list of lengths, and the length that `percentile`% of them do not exceed.
double longestMs(const QList<double>& lengths);
double percentileMs(QList<double> lengths, double percentile);
