#include "app/telemetry/msac_crash_handler.h"

#include <execinfo.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <exception>
#include <string>

// A signal handler may run while the crashed thread holds the allocator's lock or is
// halfway through changing any structure, so everything below that runs in the handler
// sticks to calls POSIX lists as async-signal-safe (open, write, close, clock_gettime,
// raise, pause, strlen) and lock-free atomics; the thread's id comes from a bare system
// call, which touches no library state. Nothing allocates, nothing uses stdio or Qt.
// backtrace() is the one call off the list: see writeReport. What the handler needs to
// know is made ready at installation, in fixed buffers.

namespace {

constexpr int kCaughtSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr int kMaxFrames = 128;

char reportPath[PATH_MAX];
char appVersion[256];

// The thread that writes the report, 0 until one does. An atomic that is always lock
// free is safe in a handler, and lets exactly one thread write.
std::atomic<pid_t> reportingThread{0};
static_assert(std::atomic<pid_t>::is_always_lock_free);

// A stack overflow leaves no room on the thread's own stack for the handler: it runs on
// this one instead (SA_ONSTACK). Static, so it exists before any crash without a
// malloc; 64 KiB because the unwinder behind backtrace() needs a few KiB of its own on
// top of the signal frame, which alone is several KiB on machines with wide vector
// registers (MINSIGSTKSZ is not enough).
alignas(16) char alternateStack[64 * 1024];

const char* signalName(int signalNumber) {
    switch (signalNumber) {
        case SIGSEGV:
            return "SIGSEGV";
        case SIGBUS:
            return "SIGBUS";
        case SIGILL:
            return "SIGILL";
        case SIGFPE:
            return "SIGFPE";
        case SIGABRT:
            return "SIGABRT";
    }
    return "unknown";
}

void writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        data += written;
        size -= size_t(written);
    }
}

void writeText(int fd, const char* text) {
    writeAll(fd, text, strlen(text));
}

// snprintf is not async-signal-safe: decimal digits by hand.
void writeNumber(int fd, unsigned long long value) {
    char digits[24];
    size_t at = sizeof digits;
    do {
        digits[--at] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    writeAll(fd, digits + at, sizeof digits - at);
}

void writeFieldName(int fd, const char* name) {
    writeText(fd, name);
    writeText(fd, ": ");
}

// True when the calling thread is to write the report. A second thread that crashes
// meanwhile waits here for the first to end the process, so that its own death cannot
// cut the report short; the same thread failing again inside its handler gets false
// and dies at once rather than wait for itself.
bool claimReport() {
    const auto self = pid_t(syscall(SYS_gettid));
    pid_t writer = 0;
    if (reportingThread.compare_exchange_strong(writer, self)) return true;
    if (writer == self) return false;
    for (;;)
        pause();
}

// `signalNumber` 0 is a call of std::terminate, with `exceptionReason` when an exception
// caused it.
void writeReport(int signalNumber, const char* exceptionReason) {
    // O_EXCL: should a second handler of this process get here, it finds the report
    // there and leaves it whole.
    const int fd = ::open(reportPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return;
    writeFieldName(fd, crash_report_field::kSignal);
    if (signalNumber != 0) {
        writeNumber(fd, unsigned(signalNumber));
        writeText(fd, " ");
        writeText(fd, signalName(signalNumber));
    } else {
        writeText(fd, kTerminateSignal);
    }
    writeText(fd, "\n");
    if (exceptionReason) {
        writeFieldName(fd, crash_report_field::kException);
        writeText(fd, exceptionReason);
        writeText(fd, "\n");
    }
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    writeFieldName(fd, crash_report_field::kTime);
    writeNumber(fd, (unsigned long long)(now.tv_sec));
    writeText(fd, "\n");
    writeFieldName(fd, crash_report_field::kVersion);
    writeText(fd, appVersion);
    writeText(fd, "\n");
    writeText(fd, crash_report_field::kBacktrace);
    writeText(fd, ":\n");
    // backtrace() is not on POSIX's list because its first call loads libgcc_s (dlopen,
    // malloc); that call was made at installation, so here it only walks the stack.
    // backtrace_symbols_fd writes the frames straight to the descriptor, unlike
    // backtrace_symbols, which allocates.
    void* frames[kMaxFrames];
    backtrace_symbols_fd(frames, backtrace(frames, kMaxFrames), fd);
    ::close(fd);
}

void onSignal(int signalNumber, siginfo_t*, void*) {
    if (claimReport()) writeReport(signalNumber, nullptr);
    // SA_RESETHAND put the default action back on entry, and the signal stays blocked
    // until the handler returns: the raised signal then ends the process with this
    // signal's own status and core dump, as if no handler had been there. Raising
    // rather than returning also ends the process for a signal sent by kill(), which
    // would not come again.
    raise(signalNumber);
}

// Runs in the ordinary context of the thread that threw or called std::terminate, so
// it may allocate to learn the exception's message.
[[noreturn]] void onTerminate() {
    std::string reason;
    const std::exception_ptr current = std::current_exception();
    if (current) {
        try {
            std::rethrow_exception(current);
        } catch (const std::exception& exception) {
            reason = exception.what();
        } catch (...) {
            reason = "an exception that is not a std::exception";
        }
        // The report is read a line at a time.
        for (char& c : reason) {
            if (c == '\n' || c == '\r') c = ' ';
        }
    }
    if (claimReport()) writeReport(0, current ? reason.c_str() : nullptr);
    // The report is written: abort() must end the process without a second one.
    signal(SIGABRT, SIG_DFL);
    std::abort();
}

void copyTerminated(char* target, size_t capacity, const QByteArray& source) {
    const size_t length = std::min(size_t(source.size()), capacity - 1);
    memcpy(target, source.constData(), length);
    target[length] = '\0';
}

}  // namespace

bool installCrashHandlers(const QByteArray& path, const QByteArray& version) {
    if (size_t(path.size()) >= sizeof reportPath) return false;
    copyTerminated(reportPath, sizeof reportPath, path);
    copyTerminated(appVersion, sizeof appVersion, version);

    // The first backtrace() loads libgcc_s with dlopen, which allocates: done here so
    // that the handler's call only walks the stack.
    void* frame[1];
    backtrace(frame, 1);

    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    sigaltstack(&stack, nullptr);

    struct sigaction action {};
    action.sa_sigaction = onSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : kCaughtSignals)
        sigaction(signalNumber, &action, nullptr);

    std::set_terminate(onTerminate);
    return true;
}
