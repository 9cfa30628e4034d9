#include "cli/scan_command.h"

#include <unistd.h>
#include <QCoreApplication>

#include "cli/report.h"
#include "engine/disk_utilities.h"

std::unique_ptr<QSScanner> scannerForCategories(const QStringList& keys, QString* error) {
    auto scanner = std::make_unique<QSScanner>(false);
    if (keys.isEmpty()) return scanner;
    QList<std::shared_ptr<QSScanItem>> chosen;
    QStringList valid;
    for (const auto& item : scanner->scanItems())
        valid.append(item->key());
    for (const QString& key : keys) {
        if (!valid.contains(key)) {
            *error = QStringLiteral("unknown category \u201c%1\u201d; valid keys: %2")
                         .arg(key, valid.join(QStringLiteral(", ")));
            return nullptr;
        }
    }
    // Keep the list's own order whatever the order of the arguments.
    for (const auto& item : scanner->scanItems()) {
        if (keys.contains(item->key())) chosen.append(item);
    }
    scanner->setScanItems(chosen);
    return scanner;
}

int runScan(QSScanner& scanner, const QString& volume,
            const std::function<void(const QSScanResultPtr&)>& finished,
            const std::function<int(const QList<QSScanResultPtr>&)>& completion) {
    const bool showProgress = isatty(STDERR_FILENO);
    const qsizetype total = scanner.scanItems().size();
    qsizetype done = 0;
    const auto progress = [&] {
        if (showProgress) {
            report::printErr(QStringLiteral("\r\033[KScanning\u2026 %1 of %2 categories")
                                 .arg(done)
                                 .arg(total)
                                 .toUtf8());
        }
    };
    progress();
    int status = 0;
    scanner.scanVolume(
        volume,
        [&](const QList<QSScanResultPtr>& results) {
            if (showProgress) report::printErr("\r\033[K");
            status = completion(results);
            QCoreApplication::exit(status);
        },
        [&](const QSScanResultPtr& result, qsizetype) {
            ++done;
            if (showProgress) report::printErr("\r\033[K");
            if (finished) finished(result);
            progress();
        });
    QCoreApplication::exec();
    return status;
}

int runScanCommand(const CliOptions& options) {
    QString error;
    auto scanner = scannerForCategories(options.categories, &error);
    if (!scanner) {
        report::printErr(("sweepwell-cli: " + error + "\n").toUtf8());
        return 2;
    }
    const auto finished = [&](const QSScanResultPtr& result) {
        if (!options.json) report::printOut(report::categoryLine(result));
    };
    return runScan(*scanner, options.volume, finished, [&](const QList<QSScanResultPtr>& results) {
        if (options.json) {
            const QString home = QSDiskUtilities::sharedInstance().homeDirectoryPath();
            report::printOut(report::scanJson(home, options.volume, results));
        } else {
            report::printOut(report::scanTable(results));
        }
        // A category whose search failed says so in its line and in the JSON: the scan
        // still reported on every category, which is its job.
        return 0;
    });
}
