#include "cli/clean_command.h"

#include <signal.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QSet>
#include <cstdio>

#include "cli/report.h"
#include "cli/scan_command.h"
#include "engine/categories/login_items_item.h"

namespace {

// Paths and names are matched exactly: every entry has one form that names it. Returns
// the paths and names that match no listed entry.
QStringList selectNamedEntries(const QList<QSScanResultPtr>& results, const CliOptions& options) {
    if (options.paths.isEmpty() && options.names.isEmpty()) return {};
    QSet<QString> unmatchedPaths(options.paths.cbegin(), options.paths.cend());
    QSet<QString> unmatchedNames(options.names.cbegin(), options.names.cend());
    for (const auto& result : results) {
        for (const auto& file : result->detailArray()) {
            const QString path = file->path();
            const bool named = path.isNull() ? options.names.contains(file->fileName())
                                             : options.paths.contains(path);
            file->setSelected(named);
            if (!named) continue;
            unmatchedPaths.remove(path);
            unmatchedNames.remove(file->fileName());
        }
    }
    return unmatchedPaths.values() + unmatchedNames.values();
}

// While a removal runs, SIGINT and SIGTERM stop it after the entries in hand instead of
// killing the process in the middle of one, so that what was done can be reported.
class StopOnSignals {
public:
    explicit StopOnSignals(const QSRemovalPlan& plan) {
        plan_.store(&plan);
        struct sigaction action = {};
        action.sa_handler = &StopOnSignals::handle;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previousInt_);
        sigaction(SIGTERM, &action, &previousTerm_);
    }
    ~StopOnSignals() {
        sigaction(SIGINT, &previousInt_, nullptr);
        sigaction(SIGTERM, &previousTerm_, nullptr);
        plan_.store(nullptr);
    }
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

    // The signal that stopped the removal, or 0.
    static int received() { return received_; }

private:
    static void handle(int signal) {
        received_ = signal;
        // Stopping sets a lock-free atomic, which a handler may do.
        if (const QSRemovalPlan* plan = plan_.load()) plan->stop();
    }

    static inline volatile sig_atomic_t received_ = 0;
    static inline std::atomic<const QSRemovalPlan*> plan_{nullptr};
    struct sigaction previousInt_ = {};
    struct sigaction previousTerm_ = {};
};

bool confirmOnTerminal(const QByteArray& listing, const QSRemovalPlan& plan) {
    const quint64 size = report::sizeOfPlan(plan);
    report::printErr(listing + "Remove these " + QByteArray::number(plan.fileCount()) +
                     (plan.fileCount() == 1 ? " entry (" : " entries (") +
                     report::formatSize(size).toUtf8() +
                     ")? Removal is immediate and final. [y/N] ");
    char answer[16] = {};
    if (!fgets(answer, sizeof answer, stdin)) return false;
    return answer[0] == 'y' || answer[0] == 'Y';
}

int removeAndReport(const QSRemovalPlan& plan, const CliOptions& options) {
    if (options.dryRun) {
        report::printOut(options.json ? report::dryRunJson(plan) : report::dryRunText(plan));
        return 0;
    }
    const QByteArray listing = report::removalPlan(plan);
    if (plan.isEmpty()) {
        if (options.json)
            report::printOut(report::removalJson({}));
        else
            report::printOut("Nothing selected; nothing was removed.\n");
        return 0;
    }
    if (!options.yes) {
        if (!isatty(STDIN_FILENO)) {
            report::printErr(listing +
                             "sweepwell-cli: not removing without --yes when there is no "
                             "terminal to ask.\n");
            return 2;
        }
        if (!confirmOnTerminal(listing, plan)) {
            report::printErr("Nothing was removed.\n");
            return 2;
        }
    }
    int status = 0;
    const StopOnSignals stopOnSignals(plan);
    QSScanner::deletePlan(plan, [&](const QList<QSRemovedItemPtr>& removed) {
        report::printOut(options.json ? report::removalJson(removed)
                                      : report::removalText(removed));
        status = report::hasFailures(removed) ? 1 : 0;
        if (const int signal = StopOnSignals::received()) {
            report::printErr(QByteArray("sweepwell-cli: stopped by ") +
                             (signal == SIGINT ? "SIGINT" : "SIGTERM") +
                             "; the entries above are all that was attempted.\n");
            status = 128 + signal;
        }
        QCoreApplication::exit(status);
    });
    QCoreApplication::exec();
    return status;
}

}  // namespace

int runCleanCommand(const CliOptions& options) {
    if (options.categories.contains(QSLoginItemsItem::kKey)) {
        report::printErr("sweepwell-cli: login items are switched on and off, never removed.\n");
        return 2;
    }
    QString error;
    auto scanner = scannerForCategories(options.categories, &error);
    if (!scanner) {
        report::printErr(("sweepwell-cli: " + error + "\n").toUtf8());
        return 2;
    }
    QList<QSScanResultPtr> scanned;
    runScan(*scanner, options.volume, nullptr, [&](const QList<QSScanResultPtr>& results) {
        scanned = results;
        return 0;
    });
    const QStringList unmatched = selectNamedEntries(scanned, options);
    if (!unmatched.isEmpty()) {
        for (const QString& name : unmatched) {
            report::printErr("sweepwell-cli: no listed entry is named " +
                             report::terminalText(name) + "\n");
        }
        report::printErr("Nothing was removed.\n");
        return 2;
    }
    return removeAndReport(QSRemovalPlan::planWithResults(scanned), options);
}
