#include "cli/clean_command.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QSet>
#include <cstdio>

#include "cli/report.h"
#include "cli/scan_command.h"

namespace {

// Login items are switched, never removed.
const QString kLoginItemsKey = QStringLiteral("actual-login-items");

void selectNamedEntries(const QList<QSScanResultPtr>& results, const CliOptions& options) {
    if (options.paths.isEmpty() && options.names.isEmpty()) return;
    QSet<QString> paths;
    for (const QString& path : options.paths) {
        paths.insert(path);
        paths.insert(unescapePathArgument(path));
    }
    QSet<QString> names;
    for (const QString& name : options.names) {
        names.insert(name);
        names.insert(unescapePathArgument(name));
    }
    for (const auto& result : results) {
        for (const auto& file : result->detailArray()) {
            const QString path = file->path();
            file->setSelected(path.isNull() ? names.contains(file->fileName())
                                            : paths.contains(path));
        }
    }
}

// A category that found nothing is never deleted: emptying its folder would remove what
// the scan did not list (hidden files).
QList<QSScanResultPtr> removableResults(const QList<QSScanResultPtr>& results) {
    QList<QSScanResultPtr> removable;
    for (const auto& result : results) {
        if (!result->disabled()) removable.append(result);
    }
    return removable;
}

bool confirmOnTerminal(const QByteArray& plan) {
    report::printErr(plan + "Remove these entries? Removal is immediate and final. [y/N] ");
    char answer[16] = {};
    if (!fgets(answer, sizeof answer, stdin)) return false;
    return answer[0] == 'y' || answer[0] == 'Y';
}

int removeAndReport(const QList<QSScanResultPtr>& results, const CliOptions& options) {
    const QByteArray plan = report::removalPlan(results);
    if (plan.isEmpty()) {
        if (options.json)
            report::printOut(report::removalJson({}));
        else
            report::printOut("Nothing selected; nothing was removed.\n");
        return 0;
    }
    if (!options.yes) {
        if (!isatty(STDIN_FILENO)) {
            report::printErr(plan +
                             "sweepwell-cli: not removing without --yes when there is no "
                             "terminal to ask.\n");
            return 2;
        }
        if (!confirmOnTerminal(plan)) {
            report::printErr("Nothing was removed.\n");
            return 2;
        }
    }
    int status = 0;
    QSScanner::deleteItems(results, [&](const QList<QSRemovedItemPtr>& removed) {
        report::printOut(options.json ? report::removalJson(removed)
                                      : report::removalText(removed));
        status = report::hasFailures(removed) ? 1 : 0;
        QCoreApplication::exit(status);
    });
    QCoreApplication::exec();
    return status;
}

}  // namespace

int runCleanCommand(const CliOptions& options) {
    if (options.categories.contains(kLoginItemsKey)) {
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
    selectNamedEntries(scanned, options);
    return removeAndReport(removableResults(scanned), options);
}
