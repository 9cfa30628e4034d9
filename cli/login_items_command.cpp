#include "cli/login_items_command.h"

#include "cli/report.h"
#include "cli/scan_command.h"
#include "engine/categories/login_item_file.h"
#include "engine/categories/login_items_item.h"
#include "engine/disk_utilities.h"
#include "platform/file_manager.h"

namespace {

QByteArray listText(const QSScanResultPtr& result) {
    QByteArray out;
    for (const auto& file : result->detailArray()) {
        out += QByteArray(file->selected() ? "on   " : "off  ") +
               report::terminalText(file->path()) + "\n";
    }
    return out.isEmpty() ? QByteArray("No login items.\n") : out;
}

// Every listed item at the path. An item switched off earlier is no longer listed, so
// switching on also takes a path that is not, as long as something is there.
QList<std::shared_ptr<QSLoginItemFile>> itemsAt(const QSScanResultPtr& result,
                                                const CliOptions& options, bool enable) {
    const QString& wanted = options.loginItemPath;
    QList<std::shared_ptr<QSLoginItemFile>> items;
    for (const auto& file : result->detailArray()) {
        if (file->path() != wanted) continue;
        if (auto item = std::dynamic_pointer_cast<QSLoginItemFile>(file)) items.append(item);
    }
    if (items.isEmpty() && enable && platform::itemKind(wanted) != platform::ItemKind::Missing) {
        auto item = std::make_shared<QSLoginItemFile>();
        item->setPath(wanted);
        items.append(item);
    }
    return items;
}

int switchItem(const QSScanResultPtr& result, const CliOptions& options) {
    const bool enable = options.loginAction == CliOptions::LoginAction::Enable;
    const auto items = itemsAt(result, options, enable);
    if (items.isEmpty()) {
        report::printErr("sweepwell-cli: no login item at " +
                         report::terminalText(options.loginItemPath) + "\n");
        return 2;
    }
    // Several entries may start the same program: the item is off only when all are.
    for (const auto& item : items) {
        platform::Error error;
        if (item->switchSelected(enable, &error)) continue;
        report::printErr(QByteArray("sweepwell-cli: could not switch ") +
                         (enable ? "on " : "off ") + report::terminalText(item->path()) + ": " +
                         report::terminalText(error.toString()) + "\n");
        return 1;
    }
    report::printOut((enable ? "Switched on: " : "Switched off: ") +
                     report::terminalText(items.first()->path()) + "\n");
    return 0;
}

}  // namespace

int runLoginItemsCommand(const CliOptions& options) {
    QString error;
    auto scanner = scannerForCategories({QSLoginItemsItem::kKey}, &error);
    if (!scanner || scanner->scanItems().isEmpty()) {
        report::printErr("sweepwell-cli: login items are not available here\n");
        return 2;
    }
    return runScan(*scanner, options.volume, nullptr, [&](const QList<QSScanResultPtr>& results) {
        const QSScanResultPtr& result = results.first();
        // Neither "No login items." nor a switch taken by path would be true of a list that
        // could not be made.
        if (!result->failureReason().isNull()) {
            report::printErr("sweepwell-cli: " + report::categoryLine(result));
            return 1;
        }
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
