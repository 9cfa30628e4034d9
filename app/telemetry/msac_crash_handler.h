#pragma once

#include <QByteArray>

// The report a crash leaves behind is a short text file of "Field: value" lines, then
// the backtrace, one frame a line, after a line "Backtrace:". These are its fields.
namespace crash_report_field {
inline constexpr char kSignal[] = "Signal";        // "11 SIGSEGV", or "terminate"
inline constexpr char kException[] = "Exception";  // what() of an uncaught exception
inline constexpr char kTime[] = "Time";            // seconds since the epoch
inline constexpr char kVersion[] = "Version";
inline constexpr char kBacktrace[] = "Backtrace";
}  // namespace crash_report_field

inline constexpr char kTerminateSignal[] = "terminate";

// Catches SIGSEGV, SIGBUS, SIGILL, SIGFPE and SIGABRT, and std::terminate, so that the
// process writes one report to `reportPath` and then dies as it would have without us.
// Call on the main thread (its stack overflow is the one caught: the alternate signal
// stack belongs to the calling thread). A later call replaces the path and version.
// False when the path is too long to keep.
bool installCrashHandlers(const QByteArray& reportPath, const QByteArray& appVersion);
