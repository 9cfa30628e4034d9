#include "bench/bench_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstdlib>

namespace bench {

QByteArray scratchFolder(int argc, char** argv, const char* prefix) {
    const QByteArray folder = (argc > 1 ? QByteArray(argv[1]) : QDir::tempPath().toUtf8()) + "/" +
                              prefix + "-" + QByteArray::number(getpid());
    mkdir(folder.constData(), 0755);
    // Whatever the run writes for the person (search index, removal log, settings) stays
    // in the run's folder, never in the real home.
    for (const auto& [variable, relative] :
         {std::pair{"HOME", "/home"}, std::pair{"XDG_CACHE_HOME", "/home/.cache"},
          std::pair{"XDG_CONFIG_HOME", "/home/.config"},
          std::pair{"XDG_DATA_HOME", "/home/.local/share"},
          std::pair{"XDG_STATE_HOME", "/home/.local/state"}}) {
        QDir().mkpath(QString::fromUtf8(folder + relative));
        qputenv(variable, folder + relative);
    }
    return folder;
}

void makeSizedFile(const QByteArray& path, off_t size) {
    const int fd = open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0 || ftruncate(fd, size) != 0) std::exit(1);
    close(fd);
}

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
