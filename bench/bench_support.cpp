#include "bench/bench_support.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace bench {
namespace {

constexpr int kPeakSampleMs = 5;

// One kind of place in the synthetic home: `entries` folders below `path`, each holding
// `folders` folders of `files` files (or the files themselves when `folders` is 0). The
// categories list the entries; the files make the walks and the sizes cost what they do
// in a lived-in home.
struct Area {
    const char* path;
    const char* entry;
    int entries;
    int folders;
    int files;
    const char* name;  // printf pattern of a file's name, given its number in the area
};

constexpr Area kAreas[] = {
    {"Library/Caches", "com.example.app", 150, 4, 150, "data-%d.cache"},
    {"Library/Caches/Google/Chrome/Default/Cache", "f_", 20, 0, 500, "%08d"},
    {"Library/Logs", "Application", 100, 2, 100, "session-%d.log"},
    {".Trash", "Old Project ", 300, 0, 100, "item-%d.txt"},
    {"Downloads", "download-", 200, 0, 100, "installer-%d.dmg"},
    {"Library/Developer/Xcode/DerivedData", "App-", 30, 5, 100, "object-%d.o"},
    {"Library/Application Support", "Application ", 100, 2, 100, "record-%d.db"},
    {"Desktop", "shots-", 20, 0, 100, "Screenshot_20240501_%06d.png"},
    {"Documents", "project-", 930, 0, 100, "note-%d.txt"},
};

constexpr int areaFiles(const Area& area) {
    return area.entries * std::max(area.folders, 1) * area.files;
}

constexpr int allAreaFiles() {
    int total = 0;
    for (const Area& area : kAreas)
        total += areaFiles(area);
    return total;
}
static_assert(allAreaFiles() == kSyntheticHomeFiles);

void makeFolder(const QByteArray& path) {
    if (mkdir(path.constData(), 0755) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "cannot create %s\n", path.constData());
        std::exit(1);
    }
}

void fillFolder(const QByteArray& folder, const Area& area, int& number) {
    makeFolder(folder);
    char name[64];
    for (int f = 0; f < area.files; ++f, ++number) {
        std::snprintf(name, sizeof name, area.name, number);
        makeSizedFile(folder + "/" + name, (number * 7919) % 4097);
    }
}

void buildArea(const QByteArray& home, const Area& area) {
    QDir().mkpath(QString::fromUtf8(home + "/" + area.path));
    int number = 0;
    for (int e = 0; e < area.entries; ++e) {
        const QByteArray entry = home + "/" + area.path + "/" + area.entry + QByteArray::number(e);
        if (area.folders == 0) {
            fillFolder(entry, area, number);
            continue;
        }
        makeFolder(entry);
        for (int f = 0; f < area.folders; ++f)
            fillFolder(entry + "/folder" + QByteArray::number(f), area, number);
    }
}

// The folder given as the first argument, or the temporary folder.
QByteArray benchFolder(int argc, char** argv) {
    return argc > 1 ? QByteArray(argv[1]) : QDir::tempPath().toUtf8();
}

}  // namespace

QByteArray reusableHome(int argc, char** argv, const char* name, int files,
                        const std::function<void(const QByteArray& home)>& build) {
    const QByteArray home = benchFolder(argc, argv) + "/" + name;
    // The stamp is written last: a home without it was cut short and is made again.
    const QByteArray stamp = home + ".complete";
    if (QFile::exists(QString::fromUtf8(stamp))) {
        std::printf("reusing the home of %d files in %s\n", files, home.constData());
        return home;
    }
    std::printf("building a home of %d files in %s\n", files, home.constData());
    QDir(QString::fromUtf8(home)).removeRecursively();
    const double took = seconds([&] {
        makeFolder(home);
        build(home);
    });
    makeSizedFile(stamp, 0);
    std::printf("built in %.1fs; it stays for the next runs (remove %s and %s to reclaim it)\n",
                took, home.constData(), stamp.constData());
    return home;
}

QByteArray syntheticHome(int argc, char** argv) {
    return reusableHome(argc, argv, "sweepwell-bench-home", kSyntheticHomeFiles,
                        [](const QByteArray& home) {
                            for (const Area& area : kAreas)
                                buildArea(home, area);
                        });
}

QByteArray scratchFolder(int argc, char** argv, const char* prefix) {
    const QByteArray folder =
        benchFolder(argc, argv) + "/" + prefix + "-" + QByteArray::number(getpid());
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

qint64 monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

ThreadSchedule threadSchedule() {
    // Opened once per thread: the link resolves to the thread that opens it.
    thread_local const int schedstat = open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC);
    char text[128] = {};
    if (schedstat < 0 || pread(schedstat, text, sizeof text - 1, 0) <= 0) return {};
    const QList<QByteArray> fields = QByteArray(text).split(' ');
    return {fields.value(0).toLongLong(), fields.value(1).toLongLong()};
}

double millisecondsSinceSpawn() {
    const qint64 now = monotonicNs();
    bool given = false;
    const qint64 spawned = qEnvironmentVariable(kSpawnTimeVariable).toLongLong(&given);
    if (given) return double(now - spawned) / 1e6;
    // Started by hand: the kernel's start time, in clock ticks since boot (field 22).
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double startedNs = fields.value(19).toDouble() * 1e9 / double(sysconf(_SC_CLK_TCK));
    timespec boot{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    return (double(boot.tv_sec) * 1e9 + double(boot.tv_nsec) - startedNs) / 1e6;
}

ChildRun runChild(const QByteArray& program, const QList<QByteArray>& arguments,
                  const QList<QByteArray>& environment) {
    QList<QByteArray> argumentBytes{program};
    argumentBytes += arguments;
    std::vector<char*> argv;
    for (QByteArray& argument : argumentBytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    QByteArray errorsPath = QDir::tempPath().toUtf8() + "/sweepwell-bench-errors-XXXXXX";
    const int errorsFd = mkostemp(errorsPath.data(), O_CLOEXEC);
    if (errorsFd < 0) std::exit(1);
    unlink(errorsPath.constData());
    posix_spawn_file_actions_adddup2(&actions, errorsFd, STDERR_FILENO);

    QList<QByteArray> environmentBytes = environment;
    const QByteArray timeVariable = QByteArray(kSpawnTimeVariable) + "=";
    for (char** variable = environ; *variable; ++variable) {
        if (!QByteArray(*variable).startsWith(timeVariable)) environmentBytes.append(*variable);
    }
    std::vector<char*> envp;
    for (QByteArray& variable : environmentBytes)
        envp.push_back(variable.data());
    // The start time is read last, as close to the start as it can be.
    QByteArray spawnTime = timeVariable + QByteArray::number(monotonicNs());
    envp.push_back(spawnTime.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, program.constData(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s\n", program.constData());
        std::exit(1);
    }

    ChildRun run;
    char buffer[4096];
    pollfd readable{pipeFds[0], POLLIN, 0};
    for (;;) {
        const ProcessMemory memory = memoryKb(pid);
        run.ownPeakKb = std::max(run.ownPeakKb, memory.peak);
        run.anonymousPeakKb = std::max(run.anonymousPeakKb, memory.anonymous);
        if (poll(&readable, 1, kPeakSampleMs) <= 0) continue;
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n > 0) run.output.append(buffer, n);
        if (n == 0 || (n < 0 && errno != EINTR)) break;
    }
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKb = usage.ru_maxrss;
    for (ssize_t n = 0; (n = pread(errorsFd, buffer, sizeof buffer, run.errors.size())) > 0;)
        run.errors.append(buffer, n);
    close(errorsFd);
    return run;
}

QByteArray siblingProgram(const char* name) {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0) std::exit(1);
    const QByteArray self(buffer, n);
    return self.left(self.lastIndexOf('/') + 1) + name;
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void resetPeakMemory() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

qint64 peakMemoryKb() {
    return memoryKb(getpid()).peak;
}

ProcessMemory memoryKb(pid_t pid) {
    ProcessMemory memory;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return memory;
    const auto kilobytes = [](const QByteArray& line) {
        return line.mid(line.indexOf(':') + 1).trimmed().split(' ').first().toLongLong();
    };
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) memory.peak = kilobytes(line);
        if (line.startsWith("RssAnon:")) memory.anonymous = kilobytes(line);
    }
    return memory;
}

}  // namespace bench
