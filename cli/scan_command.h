#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "cli/cli_options.h"
#include "engine/scanner.h"

// A scanner over the categories with the given keys (all of them when none are given);
// null, with `error` listing the valid keys, when a key is unknown.
std::unique_ptr<QSScanner> scannerForCategories(const QStringList& keys, QString* error);

// Scans with a progress line on stderr while stderr is a terminal; `finished` is told of
// each category as it finishes, `completion` of all results. Runs the event loop until
// `completion` returns, and answers its exit status.
int runScan(QSScanner& scanner, const QString& volume,
            const std::function<void(const QSScanResultPtr&)>& finished,
            const std::function<int(const QList<QSScanResultPtr>&)>& completion);

int runScanCommand(const CliOptions& options);
