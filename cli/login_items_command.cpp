#include "cli/login_items_command.h"

#include "cli/report.h"
#include "cli/scan_command.h"
#include "engine/categories/login_item_file.h"
#include "engine/disk_utilities.h"

namespace {

const QString kLoginItemsKey = QStringLiteral("actual-login-items");

QByteArray listText(const QSScanResultPtr& result) {
    QByteArray out;
    for (const auto& file : result->detailArray()) {
        out += QByteArray(file->selected() ? "on   " : "off  ") +
               report::terminalText(file->path()) + "\n";
    }
    return out.isEmpty() ? QByteArray("No login items.\n") : out;
}

int switchItem(const QSScanResultPtr& result, const CliOptions& options) {
    const bool enable = options.loginAction == CliOptions::LoginAction::Enable;
    for (const auto& file : result->detailArray()) {
        if (file->path() != options.loginItemPath) continue;
        file->setSelected(enable);
        report::printOut((enable ? "Switched on: " : "Switched off: ") +
                         report::terminalText(file->path()) + "\n");
        return 0;
    }
    report::printErr("sweepwell-cli: no login item at " +
                     report::terminalText(options.loginItemPath) + "\n");
    return 2;
}

}  // namespace

int runLoginItemsCommand(const CliOptions& options) {
    QString error;
    auto scanner = scannerForCategories({kLoginItemsKey}, &error);
    if (!scanner || scanner->scanItems().isEmpty()) {
        report::printErr("sweepwell-cli: login items are not available here\n");
        return 2;
    }
    return runScan(*scanner, options.volume, nullptr, [&](const QList<QSScanResultPtr>& results) {
        const QSScanResultPtr& result = results.first();
        if (options.loginAction != CliOptions::LoginAction::List)
            return switchItem(result, options);
        if (options.json) {
            const QString home = QSDiskUtilities::sharedInstance().homeDirectoryPath();
            report::printOut(report::scanJson(home, options.volume, results));
        } else {
            report::printOut(listText(result));
        }
        return 0;
    });
}
