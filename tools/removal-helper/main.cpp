// sweepwell-removal-helper HANDLER PATH...
//
// Run as administrator through pkexec for the files in the caller's home folder that
// the caller's own rights cannot remove. It trusts nothing it is given: the caller is
// the user pkexec names, their home comes from the password database, and only paths
// deep enough inside that home are touched (see path_rules.h and caller_home.h).
//
// Prints one line per path and exits 0 when every path is gone afterwards, 1 when one is
// still there or was refused, 2 when it was called the wrong way.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/removal-helper/attempt_log.h"
#include "tools/removal-helper/caller.h"
#include "tools/removal-helper/caller_home.h"
#include "tools/removal-helper/path_rules.h"

namespace {

constexpr char kRemoveOne[] = "removeApplication";
constexpr char kRemoveMany[] = "removeApplications";
constexpr int kAllGone = 0;
constexpr int kSomethingLeft = 1;
constexpr int kBadUsage = 2;

bool validUsage(int argc, char** argv) {
    if (argc < 3) return false;
    if (std::strcmp(argv[1], kRemoveOne) == 0) return argc == 3;
    return std::strcmp(argv[1], kRemoveMany) == 0;
}

void print(const QByteArray& line) {
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (!validUsage(argc, argv)) {
        std::fprintf(stderr, "usage: %s %s PATH | %s PATH...\n", argv[0], kRemoveOne, kRemoveMany);
        return kBadUsage;
    }
    QByteArray why;
    const auto caller = callerFromPkexecUid(std::getenv("PKEXEC_UID"), &why);
    if (!caller) {
        std::fprintf(stderr, "%s: refused: %s\n", argv[0], why.constData());
        return kBadUsage;
    }
    const auto home = CallerHome::open(caller->home, caller->uid, &why);
    const QList<QByteArray> userFolders =
        home ? userDirectories(caller->home, home->userDirsFile()) : QList<QByteArray>();
    QList<QByteArray> logLines;
    bool allGone = true;
    for (int i = 2; i < argc; ++i) {
        const QByteArray path(argv[i]);
        const QByteArray refusal = home ? refusalOf(path, caller->home, userFolders) : why;
        const Attempt attempt =
            refusal.isEmpty() ? home->remove(path) : Attempt::refused(path, refusal, EPERM);
        print(outcomeLine(attempt));
        logLines.append(logLine(attempt, argv[1]));
        allGone = allGone && attempt.gone();
    }
    if (home && !appendToCallersLog(*caller, home->fd(), logLines)) {
        std::fprintf(stderr, "%s: the removal log could not be written\n", argv[0]);
    }
    return allGone ? kAllGone : kSomethingLeft;
}
