#pragma once

#include <sys/types.h>
#include <QByteArray>
#include <QElapsedTimer>
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
// Resets the peak resident size of this process, then reads it in kilobytes.
void resetPeakMemory();
qint64 peakMemoryKb();

}  // namespace bench
