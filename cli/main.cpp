#include <QCoreApplication>

#include "cli/clean_command.h"
#include "cli/cli_options.h"
#include "cli/history_command.h"
#include "cli/login_items_command.h"
#include "cli/report.h"
#include "cli/scan_command.h"
#include "engine/removal_log.h"
#include "platform/services.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sweepwell"));
    const ParsedOptions parsed = parseCliOptions(argc, argv);
    if (!parsed.options) {
        report::printErr(("sweepwell-cli: " + parsed.error + "\n" + cliUsage()).toUtf8());
        return 2;
    }
    const CliOptions& options = *parsed.options;
    platform::useFolders(options.home, options.systemRoot);
    switch (options.command) {
        case CliOptions::Command::Scan:
            return runScanCommand(options);
        case CliOptions::Command::Clean:
            if (!options.dryRun) QSRemovalLog::sharedLog().open(QStringLiteral("cli"));
            return runCleanCommand(options);
        case CliOptions::Command::History:
            return runHistoryCommand(options);
        case CliOptions::Command::LoginItems:
            return runLoginItemsCommand(options);
        case CliOptions::Command::Help:
            report::printOut(cliUsage().toUtf8());
            return 0;
    }
    return 2;
}
