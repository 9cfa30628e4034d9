#include "bench/gui/app_scan.h"

#include <QAbstractItemView>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "bench/bench_support.h"
#include "bench/gui/app_launch.h"
#include "bench/gui/first_frame.h"
#include "results/screens/sw_results_view_controller.h"
#include "results/screens/sw_sidebar_item_delegate.h"

namespace {

constexpr int kHeartbeatMs = 5;

// The results screen has finished its scan once no category is scanning and the
// completion has stopped the sidebar's spinners.
bool scanFinished(SWResultsViewController& results) {
    if (results.model().isScanning()) return false;
    auto* table = results.view()->findChild<QAbstractItemView*>(QStringLiteral("tableView"));
    auto* sidebar = table ? qobject_cast<SWSidebarItemDelegate*>(table->itemDelegate()) : nullptr;
    return sidebar && !sidebar->isSpinning();
}

}  // namespace

FirstScan runFirstScan(const AppOptions& options, int timeoutMs,
                       const std::function<void(AppDelegate&)>& launched) {
    FirstScan scan;
    QEventLoop loop;
    QElapsedTimer sinceFirstFrame;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(kHeartbeatMs);
    double lastBeatMs = 0;
    qint64 lastWaitingNs = 0;
    FirstFrameWatch watch([&] {
        lastWaitingNs = bench::threadSchedule().waitingNs;
        scan.firstFrameClockMs = double(bench::monotonicNs()) / 1e6;
        sinceFirstFrame.start();
        heartbeat.start();
    });

    scan.application = std::make_unique<AppLaunch>(options);
    AppDelegate* delegate = scan.application->delegate();
    if (!delegate) return scan;
    std::shared_ptr<SWResultsViewController> results =
        delegate->mainWindowController()->resultsViewController();
    if (launched) launched(*delegate);

    QObject::connect(&heartbeat, &QTimer::timeout, &loop, [&] {
        const double nowMs = double(sinceFirstFrame.nsecsElapsed()) / 1e6;
        const qint64 waitingNs = bench::threadSchedule().waitingNs;
        scan.gaps.append({nowMs - lastBeatMs, double(waitingNs - lastWaitingNs) / 1e6});
        lastBeatMs = nowMs;
        lastWaitingNs = waitingNs;
        if (!scanFinished(*results)) return;
        scan.completed = true;
        scan.scanMs = nowMs;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    heartbeat.stop();
    return scan;
}

double longestMs(const QList<double>& lengths) {
    return lengths.isEmpty() ? 0 : *std::max_element(lengths.begin(), lengths.end());
}

double percentileMs(QList<double> lengths, double percentile) {
    if (lengths.isEmpty()) return 0;
    std::sort(lengths.begin(), lengths.end());
    const auto rank = qsizetype(std::ceil(percentile / 100 * double(lengths.size())));
    return lengths[std::clamp<qsizetype>(rank - 1, 0, lengths.size() - 1)];
}
