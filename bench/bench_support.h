#pragma once

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
// Resets the peak resident size of this process, then reads it in kilobytes.
void resetPeakMemory();
qint64 peakMemoryKb();

}  // namespace bench
