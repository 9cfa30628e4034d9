#include "tests/telemetry/crasher_process.h"

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

QString stateFolder() {
    return qEnvironmentVariable("XDG_STATE_HOME") + QStringLiteral("/sweepwell");
}

int runCrasher(const char* how) {
    char* argv[] = {const_cast<char*>(SWEEPWELL_CRASHER_PATH), const_cast<char*>(how), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv, environ) != 0) return -1;
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}
