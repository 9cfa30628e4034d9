// Measures how long the main thread stops answering while the application's results
// screen scans a synthetic home of 300,000 files: the application starts in this process
// on the offscreen platform, as its entry point starts it, and a 5 ms heartbeat timer on
// the main thread records every gap from the first frame to the end of the scan. Goals:
// the longest gap at most 50 ms, the 99th percentile at most 20 ms. The slowest event
// deliveries of the main thread are listed with what they were, to show where it stalls.
#include <sys/resource.h>
#include <unistd.h>
#include <QApplication>
#include <QFile>
#include <QMetaEnum>
#include <QThread>
#include <algorithm>
#include <cstdio>

#include "app/app_delegate.h"
#include "bench/bench_support.h"
#include "bench/gui/app_scan.h"
#include "results/screens/sw_results_view_controller.h"

namespace {

constexpr int kScanTimeoutMs = 10 * 60 * 1000;
constexpr double kSlowDeliveryMs = 20;
constexpr int kListed = 10;
constexpr int kListedByWork = 5;

// Times every event delivered on the main thread. Only the outermost delivery counts: an
// event sent while another is being handled is part of that one.
class TimedApplication : public QApplication {
public:
    struct Delivery {
        double atClockMs = 0;  // when it started, on the monotonic clock
        double lengthMs = 0;
        // Of its length: the main thread running, and waiting for a core that other
        // threads held; the rest it was blocked (a lock, the disk, a child process).
        double runningMs = 0;
        double waitingForCoreMs = 0;
        QEvent::Type type = QEvent::None;
        const char* receiverClass = "";
        QStringList finished;  // the categories that finished while it was handled

        QByteArray what() const {
            const char* name = QMetaEnum::fromType<QEvent::Type>().valueToKey(type);
            const QByteArray event = name ? QByteArray(name) : "event " + QByteArray::number(type);
            return event + " to " + receiverClass;
        }
    };

    using QApplication::QApplication;

    // `finishedKeys` names the categories whose scan has finished so far.
    void startRecording(std::function<QStringList()> finishedKeys) {
        finishedKeys_ = std::move(finishedKeys);
        finished_ = finishedKeys_();
    }
    void stopRecording() { finishedKeys_ = nullptr; }
    const QList<Delivery>& slowDeliveries() const { return slow_; }

    bool notify(QObject* receiver, QEvent* event) override {
        if (!finishedKeys_ || depth_ > 0 || QThread::currentThread() != thread()) {
            return QApplication::notify(receiver, event);
        }
        ++depth_;
        // Read before the delivery, which may delete the receiver and the event.
        const QEvent::Type type = event->type();
        const char* receiverClass = receiver->metaObject()->className();
        const qint64 start = bench::monotonicNs();
        const bench::ThreadSchedule before = bench::threadSchedule();
        const bool handled = QApplication::notify(receiver, event);
        const double lengthMs = double(bench::monotonicNs() - start) / 1e6;
        const bench::ThreadSchedule after = bench::threadSchedule();
        --depth_;
        const QStringList finished = finishedKeys_();
        if (lengthMs > kSlowDeliveryMs) {
            QStringList newly;
            for (const QString& key : finished) {
                if (!finished_.contains(key)) newly.append(key);
            }
            slow_.append(
                {double(start) / 1e6, lengthMs, double(after.runningNs - before.runningNs) / 1e6,
                 double(after.waitingNs - before.waitingNs) / 1e6, type, receiverClass, newly});
        }
        finished_ = finished;
        return handled;
    }

private:
    std::function<QStringList()> finishedKeys_;
    QStringList finished_;
    QList<Delivery> slow_;
    int depth_ = 0;
};

QStringList finishedCategories(SWResultsViewController& results) {
    QStringList keys;
    for (const SWResultRowPtr& row : results.model().rows()) {
        if (!row->isScanning()) keys.append(row->key());
    }
    return keys;
}

void printDelivery(const TimedApplication::Delivery& delivery, double firstFrameClockMs) {
    std::printf("  at %7.0f ms: %5.1f ms (running %4.1f, waiting for a core %5.1f), %s",
                delivery.atClockMs - firstFrameClockMs, delivery.lengthMs, delivery.runningMs,
                delivery.waitingForCoreMs, delivery.what().constData());
    if (!delivery.finished.isEmpty()) {
        std::printf(" (finished then: %s)", qPrintable(delivery.finished.join(u", ")));
    }
    std::printf("\n");
}

// The slowest deliveries, and those in which the main thread itself ran longest: the
// first show what a person sees, the second what the program does on its own.
void printSlowDeliveries(const TimedApplication& app, double firstFrameClockMs) {
    // From the first frame on, as the heartbeat.
    QList<TimedApplication::Delivery> slow;
    for (const auto& delivery : app.slowDeliveries()) {
        if (delivery.atClockMs >= firstFrameClockMs) slow.append(delivery);
    }
    std::printf("main-thread deliveries over %.0f ms: %lld\n", kSlowDeliveryMs,
                static_cast<long long>(slow.size()));
    if (slow.isEmpty()) return;
    std::sort(slow.begin(), slow.end(),
              [](const auto& a, const auto& b) { return a.lengthMs > b.lengthMs; });
    std::printf("the longest:\n");
    for (const auto& delivery : slow.mid(0, kListed))
        printDelivery(delivery, firstFrameClockMs);
    std::sort(slow.begin(), slow.end(),
              [](const auto& a, const auto& b) { return a.runningMs > b.runningMs; });
    std::printf("the most work of the main thread itself:\n");
    for (const auto& delivery : slow.mid(0, kListedByWork))
        printDelivery(delivery, firstFrameClockMs);
}

struct CpuSeconds {
    double self = 0;
    double children = 0;  // the search tool, once it has ended
};

CpuSeconds cpuSeconds() {
    const auto seconds = [](int who) {
        rusage usage{};
        getrusage(who, &usage);
        return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    };
    return {seconds(RUSAGE_SELF), seconds(RUSAGE_CHILDREN)};
}

// How busy the machine was: a main thread that waits for a core waits behind the scan's
// own threads and behind everything else that runs.
void printLoad(const FirstScan& scan, const CpuSeconds& atLaunch) {
    const CpuSeconds now = cpuSeconds();
    const double seconds = scan.scanMs / 1000;
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    const QByteArray load =
        loadavg.open(QIODevice::ReadOnly) ? loadavg.readAll().split(' ').value(0) : "?";
    std::printf(
        "cores in use during the scan: this process %.2f, its children %.2f, of %ld; "
        "machine load average %s\n",
        (now.self - atLaunch.self) / seconds, (now.children - atLaunch.children) / seconds,
        sysconf(_SC_NPROCESSORS_ONLN), load.constData());
}

void printGaps(const FirstScan& scan) {
    std::printf("scan done %.2f s after the first frame; %lld beats\n", scan.scanMs / 1000,
                static_cast<long long>(scan.gaps.size()));
    QList<double> lengths, working;
    for (const HeartbeatGap& gap : scan.gaps) {
        lengths.append(gap.lengthMs);
        working.append(std::max(0.0, gap.lengthMs - gap.waitingForCoreMs));
    }
    std::printf("longest stall of the main thread: %.1f ms (goal <= 50 ms)\n", longestMs(lengths));
    std::printf("99th percentile of its gaps: %.1f ms (goal <= 20 ms)\n",
                percentileMs(lengths, 99));
    // What the program would show on cores of its own: the same gaps without the time
    // the main thread was ready to run but had no core.
    std::printf("without the waits for a core: longest %.1f ms, 99th percentile %.1f ms\n",
                longestMs(working), percentileMs(working, 99));
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QByteArray base = bench::scratchFolder(argc, argv, "sweepwell-responsiveness-bench");
    const QByteArray home = bench::syntheticHome(argc, argv);
    TimedApplication app(argc, argv);

    AppOptions options;
    options.home = QString::fromUtf8(home);
    // The searches of the whole disk look in the synthetic home too: the machine's own
    // disk is shared and changes from run to run.
    options.systemRoot = options.home;
    CpuSeconds cpuAtLaunch;
    const FirstScan scan = runFirstScan(options, kScanTimeoutMs, [&](AppDelegate& delegate) {
        std::shared_ptr<SWResultsViewController> results =
            delegate.mainWindowController()->resultsViewController();
        app.startRecording([results] { return finishedCategories(*results); });
        cpuAtLaunch = cpuSeconds();
    });
    app.stopRecording();
    if (scan.completed) {
        printGaps(scan);
        printLoad(scan, cpuAtLaunch);
        printSlowDeliveries(app, scan.firstFrameClockMs);
    } else {
        std::printf("the scan did not complete within %d s\n", kScanTimeoutMs / 1000);
    }
    AppLaunch::removeLeftSocket(QString::fromUtf8(home));
    bench::commandSeconds("rm -rf '" + base + "'");
    // The numbers are out: the program leaves without tearing the application down. That
    // teardown is not measured here, and the notification sound of the desktop services,
    // held by a static, ends after the QApplication and can crash the exit.
    std::fflush(stdout);
    _exit(0);
}
