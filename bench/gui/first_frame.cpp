#include "bench/gui/first_frame.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QEvent>
#include <QWindow>
#include <cstdio>

#include "bench/bench_support.h"

namespace {
constexpr char kFirstFrameTag[] = "first-frame-ms ";
}  // namespace

FirstFrameWatch::FirstFrameWatch(std::function<void()> painted) : painted_(std::move(painted)) {
    QCoreApplication::instance()->installEventFilter(this);
}

FirstFrameWatch::~FirstFrameWatch() {
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
}

bool FirstFrameWatch::eventFilter(QObject* watched, QEvent* event) {
    if (done_) return false;
    if (event->type() == QEvent::Paint && watched->isWidgetType()) {
        ++paintEvents_;
        return false;
    }
    const bool frame = event->type() == QEvent::Expose || event->type() == QEvent::UpdateRequest;
    // Widgets drawn only to be grabbed (shown with WA_DontShowOnScreen) paint too, but
    // never into a visible window.
    if (!frame || !watched->isWindowType() || !static_cast<QWindow*>(watched)->isVisible()) {
        return false;
    }
    const int before = paintEvents_;
    // Widgets paint and flush their window while this event is delivered.
    watched->event(event);
    if (paintEvents_ == before) return true;
    done_ = true;
    painted_();
    return true;
}

void printFirstFrameAndExit() {
    std::printf("%s%.3f\n", kFirstFrameTag, bench::millisecondsSinceSpawn());
    std::fflush(stdout);
    // Only the start-up is measured: the program leaves without tearing anything down
    // (the application may have begun its scan on other threads by now).
    _exit(0);
}

double firstFrameMilliseconds(const QByteArray& output) {
    const qsizetype at = output.indexOf(kFirstFrameTag);
    if (at < 0) return -1;
    const qsizetype start = at + qsizetype(sizeof kFirstFrameTag) - 1;
    return output.mid(start, output.indexOf('\n', start) - start).toDouble();
}
