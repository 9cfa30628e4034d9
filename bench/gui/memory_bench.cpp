// Measures the peak memory of the application through its first scan of a synthetic home
// of 300,000 files against the terminal front end's scan of the same home, each run as a
// child (the kernel's peak resident size of the child and of the search tool it runs).
// The application starts on the offscreen platform as its entry point starts it and ends
// as soon as its scan has completed. Goal: at most 1.5x the terminal front end.
#include <unistd.h>
#include <QApplication>
#include <cstdio>

#include "bench/bench_support.h"
#include "bench/gui/app_scan.h"

namespace {

constexpr char kAppScanMode[] = "--app-scan";
constexpr int kRounds = 3;
constexpr int kScanTimeoutMs = 10 * 60 * 1000;

// The child: the application on `home`, ended right after its scan, without teardown.
int runAppScan(int argc, char** argv, const QByteArray& home) {
    QApplication app(argc, argv);
    AppOptions options;
    options.home = QString::fromUtf8(home);
    options.systemRoot = options.home;
    const FirstScan scan = runFirstScan(options, kScanTimeoutMs);
    _exit(scan.completed ? 0 : 1);
}

bench::ChildRun measure(const QByteArray& program, const QList<QByteArray>& arguments) {
    const bench::ChildRun run = bench::runChild(program, arguments, {"QT_QPA_PLATFORM=offscreen"});
    if (run.exitStatus != 0) {
        std::fprintf(stderr, "%s failed (status %d):\n%s", program.constData(), run.exitStatus,
                     run.errors.constData());
        std::exit(1);
    }
    return run;
}

qint64 medianKb(const QList<qint64>& values) {
    QList<double> doubles;
    for (qint64 value : values)
        doubles.append(double(value));
    return qint64(bench::median(doubles));
}

void printPeaks(const char* what, const QList<qint64>& appKb, const QList<qint64>& cliKb,
                const char* goal) {
    const qint64 app = medianKb(appKb);
    const qint64 cli = medianKb(cliKb);
    std::printf("%s (median of %d): application %lld KB, sweepwell-cli %lld KB, ratio %.2f %s\n",
                what, kRounds, static_cast<long long>(app), static_cast<long long>(cli),
                double(app) / double(cli), goal);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && QByteArray(argv[1]) == kAppScanMode) return runAppScan(argc, argv, argv[2]);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QByteArray base = bench::scratchFolder(argc, argv, "sweepwell-memory-bench");
    const QByteArray home = bench::syntheticHome(argc, argv);
    const QByteArray self = bench::siblingProgram("sweepwell_memory_bench");
    const QByteArray cli = bench::siblingProgram("../cli/sweepwell-cli");
    // The searches of the whole disk look in the synthetic home too, for both.
    const QList<QByteArray> cliArguments{"scan", "--home", home, "--system-root", home};

    // The first scan builds the search index of the home; the measured ones find it built.
    measure(cli, cliArguments);
    QList<qint64> appKb, appOwnKb, appAnonymousKb, cliKb, cliOwnKb, cliAnonymousKb;
    for (int round = 0; round < kRounds; ++round) {
        const bench::ChildRun app = measure(self, {kAppScanMode, home});
        appKb << app.peakKb;
        appOwnKb << app.ownPeakKb;
        appAnonymousKb << app.anonymousPeakKb;
        const bench::ChildRun cliRun = measure(cli, cliArguments);
        cliKb << cliRun.peakKb;
        cliOwnKb << cliRun.ownPeakKb;
        cliAnonymousKb << cliRun.anonymousPeakKb;
    }
    printPeaks("peak memory through one scan, search tool included", appKb, cliKb,
               "(goal <= 1.50)");
    // The search tool that both run can hold the peak of both: the processes alone show
    // what each front end keeps.
    printPeaks("the front ends alone (sampled every 5 ms)", appOwnKb, cliOwnKb, "(for reference)");
    // Most of a resident size can be the pages of the libraries, shared with every other
    // program that maps them; anonymous memory is the program's own.
    printPeaks("their anonymous memory alone (most seen)", appAnonymousKb, cliAnonymousKb,
               "(for reference)");
    AppLaunch::removeLeftSocket(QString::fromUtf8(home));
    bench::commandSeconds("rm -rf '" + base + "'");
    return 0;
}
