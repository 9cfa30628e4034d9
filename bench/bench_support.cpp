#include "bench/bench_support.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>

namespace bench {

double seconds(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e9;
}

double commandSeconds(const QByteArray& command) {
    return seconds([&] {
        if (std::system(command.constData()) != 0) {
            std::fprintf(stderr, "failed: %s\n", command.constData());
            std::exit(1);
        }
    });
}

void resetPeakMemory() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

qint64 peakMemoryKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

}  // namespace bench
