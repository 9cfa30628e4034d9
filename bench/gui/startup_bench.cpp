// Measures the time from the start of the process to the first painted frame of the main
// window, against the smallest Qt Widgets window built with the same flags, each started
// as a child several times (median). The application's start-up runs in a probe that does
// what its entry point does; the real program is timed too, by the flush that Qt's own
// painting log reports. Goal: at most 1.5x the minimal window.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QSettings>
#include <cstdio>
#include <vector>

#include "app/launcher_offer.h"
#include "bench/bench_support.h"
#include "bench/gui/app_launch.h"
#include "bench/gui/first_frame.h"

extern char** environ;

namespace {

constexpr int kRuns = 7;
constexpr int kFlushWaitMs = 60000;

// xcb when there is a display, else offscreen; a platform named by the caller wins.
QByteArray platformName() {
    if (!qgetenv("QT_QPA_PLATFORM").isEmpty()) return qgetenv("QT_QPA_PLATFORM");
    return qgetenv("DISPLAY").isEmpty() ? QByteArray("offscreen") : QByteArray("xcb");
}

// On a real display a copy started from the build folder would first offer to add a
// launcher, and the offer's dialog would come before the main window.
void declineLauncherOffer() {
    QCoreApplication::setApplicationName(QStringLiteral("sweepwell"));
    QSettings settings;
    settings.setValue(QLatin1String(LauncherOffer::kDontAskKey), true);
    settings.sync();
}

double probeMilliseconds(const QByteArray& program, const QList<QByteArray>& arguments,
                         const QByteArray& platform) {
    const bench::ChildRun run =
        bench::runChild(program, arguments, {"QT_QPA_PLATFORM=" + platform});
    const double ms = firstFrameMilliseconds(run.output);
    if (run.exitStatus != 0 || ms < 0) {
        std::fprintf(stderr, "%s reported no first frame:\n%s", program.constData(),
                     run.errors.constData());
        std::exit(1);
    }
    return ms;
}

// The real program prints nothing of its own; Qt's painting log, stamped with the
// monotonic clock in milliseconds, says when a window is first flushed. The program is
// killed then (SIGKILL: no crash report, and the single-instance socket it leaves is
// taken over by the next start).
double realProgramMilliseconds(const QByteArray& program, const QByteArray& home,
                               const QByteArray& platform) {
    QList<QByteArray> environment{
        "QT_QPA_PLATFORM=" + platform, "QT_LOGGING_RULES=qt.widgets.painting.info=true",
        "QT_MESSAGE_PATTERN=%{time boot} %{message}", "QT_FORCE_STDERR_LOGGING=1"};
    for (char** variable = environ; *variable; ++variable)
        environment.append(*variable);
    std::vector<char*> envp;
    for (QByteArray& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    QByteArray homeArgument = home;
    QByteArray programArgument = program;
    char homeOption[] = "--home";
    char* argv[] = {programArgument.data(), homeOption, homeArgument.data(), nullptr};

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    pid_t pid = 0;
    const double startMs = double(bench::monotonicNs()) / 1e6;
    const int spawned =
        posix_spawn(&pid, program.constData(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s\n", program.constData());
        std::exit(1);
    }

    double flushedMs = -1;
    QByteArray log;
    pollfd readable{pipeFds[0], POLLIN, 0};
    while (flushedMs < 0 && poll(&readable, 1, kFlushWaitMs) > 0) {
        char buffer[4096];
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        log.append(buffer, n);
        for (qsizetype end = log.indexOf('\n'); end >= 0; end = log.indexOf('\n')) {
            const QByteArray line = log.left(end).trimmed();
            log.remove(0, end + 1);
            // "Flushing top level ..." is said for the widgets drawn only to be grabbed
            // too; "Flushing REGION of WINDOW" only when a window's pixels are handed over.
            const qsizetype space = line.indexOf(' ');
            const QByteArray message = line.mid(space + 1);
            if (message.startsWith("Flushing ") && !message.startsWith("Flushing top level")) {
                flushedMs = line.left(space).toDouble() * 1000 - startMs;
                break;
            }
        }
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    close(pipeFds[0]);
    return flushedMs;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QByteArray base = bench::scratchFolder(argc, argv, "sweepwell-startup-bench");
    const QByteArray home = base + "/home";
    const QByteArray platform = platformName();
    declineLauncherOffer();

    const QByteArray minimal = bench::siblingProgram("sweepwell_minimal_window");
    const QByteArray probe = bench::siblingProgram("sweepwell_app_startup_probe");
    const QByteArray real = bench::siblingProgram("../app/sweepwell");
    const QList<QByteArray> homeArguments{"--home", home};
    // One start of each first, so that every measured start finds its libraries cached.
    probeMilliseconds(minimal, {}, platform);
    probeMilliseconds(probe, homeArguments, platform);
    const bool realLogs = realProgramMilliseconds(real, home, platform) >= 0;

    QList<double> minimalMs, probeMs, realMs;
    for (int run = 0; run < kRuns; ++run) {
        minimalMs << probeMilliseconds(minimal, {}, platform);
        probeMs << probeMilliseconds(probe, homeArguments, platform);
        if (!realLogs) continue;
        if (const double ms = realProgramMilliseconds(real, home, platform); ms >= 0) realMs << ms;
    }
    const double minimalMedian = bench::median(minimalMs);
    const double probeMedian = bench::median(probeMs);
    std::printf("start-up to the first frame (%s, median of %d): minimal window %.1f ms\n",
                platform.constData(), kRuns, minimalMedian);
    std::printf("application start-up (probe): %.1f ms, ratio %.2f (goal <= 1.50)\n", probeMedian,
                probeMedian / minimalMedian);
    if (!realMs.isEmpty()) {
        const double realMedian = bench::median(realMs);
        std::printf("sweepwell binary, first flush in Qt's log: %.1f ms, ratio %.2f (same goal)\n",
                    realMedian, realMedian / minimalMedian);
    } else {
        std::printf("sweepwell binary: Qt's painting log showed no flush; not timed\n");
    }
    AppLaunch::removeLeftSocket(QString::fromUtf8(home));
    bench::commandSeconds("rm -rf '" + base + "'");
    return 0;
}
