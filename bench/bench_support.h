#pragma once

#include <sys/types.h>
#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <functional>

// Shared helpers of the benchmarks: timing, other programs, peak memory.
namespace bench {

// Seconds taken by `work`.
double seconds(const std::function<void()>& work);
// Seconds taken by a shell command, which must succeed.
double commandSeconds(const QByteArray& command);
// A fresh folder for one run, in the folder given as the first argument or the temporary
// folder; its name carries `prefix` and the process ID. HOME and the XDG base folders
// are pointed below it for the rest of the run.
QByteArray scratchFolder(int argc, char** argv, const char* prefix);
// Creates a file of `size` bytes (holes, no data written); exits when it cannot.
void makeSizedFile(const QByteArray& path, off_t size);
// A home built by `build` in the bench folder under `name` once, and reused by every later
// run that finds it complete, so that the benchmarks of one session measure the same tree.
// `files` is only told to the person running the benchmark.
QByteArray reusableHome(int argc, char** argv, const char* name, int files,
                        const std::function<void(const QByteArray& home)>& build);
// A home of 300,000 small files (0 to 4 KiB, no data written) in a few thousand folders,
// spread over the places the categories look in and over plain folders; reusable as above.
QByteArray syntheticHome(int argc, char** argv);
constexpr int kSyntheticHomeFiles = 300000;

// CLOCK_MONOTONIC in nanoseconds: the same clock in every process of the machine.
qint64 monotonicNs();
// The kernel's account of the calling thread: its time on a core, and its time runnable
// but waiting for one (behind other threads and processes).
struct ThreadSchedule {
    qint64 runningNs = 0;
    qint64 waitingNs = 0;
};
ThreadSchedule threadSchedule();

// The environment variable through which a child learns when its parent started it.
constexpr char kSpawnTimeVariable[] = "SWEEPWELL_BENCH_SPAWN_NS";
// Milliseconds since the parent started this process (by kSpawnTimeVariable), else since
// the kernel started it.
double millisecondsSinceSpawn();

struct ChildRun {
    int exitStatus = -1;  // -1 when the child did not exit normally
    // The peak resident size of the child and of the descendants it waited for.
    qint64 peakKb = 0;
    // The child's own peak, as last read while it ran (every few milliseconds), and the
    // most memory of its own it was seen to hold (without the pages of the files it maps:
    // libraries, fonts).
    qint64 ownPeakKb = 0;
    qint64 anonymousPeakKb = 0;
    QByteArray output;
    QByteArray errors;
};
// Runs `program` with `arguments` (not through a shell) and `environment` added to ours
// ("NAME=value"), the moment of its start passed in kSpawnTimeVariable, and collects its
// standard output and error output (kept apart from ours, to show only when it failed).
// Exits when the program cannot be started.
ChildRun runChild(const QByteArray& program, const QList<QByteArray>& arguments,
                  const QList<QByteArray>& environment = {});
// The program of that name in this program's folder.
QByteArray siblingProgram(const char* name);
// The median of a list of at least one value.
double median(QList<double> values);

// Resets the peak resident size of this process, then reads it in kilobytes.
void resetPeakMemory();
qint64 peakMemoryKb();
// A running process's peak resident size and its present anonymous resident size, in
// kilobytes; -1 once it has ended.
struct ProcessMemory {
    qint64 peak = -1;
    qint64 anonymous = -1;
};
ProcessMemory memoryKb(pid_t pid);

}  // namespace bench
