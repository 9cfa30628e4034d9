#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "engine/json_writer.h"
#include "engine/removal_plan.h"
#include "engine/scan_model.h"

// What sweepwell-cli prints: terminal text and JSON documents.
namespace report {

void printOut(const QByteArray& text);
void printErr(const QByteArray& text);
// A name or path for a person at a terminal: control characters, bytes that are not
// UTF-8 and reordering marks are shown as escapes ("\r", "\x1b", "\xff", "\u202e"), a
// backslash as "\\", so that no name can move the cursor, forge a line or pass for
// another.
QByteArray terminalText(const QString& text);

quint64 sizeOfFiles(const QSScanResultPtr& result);
QString formatSize(quint64 bytes);

// "Title: 1.23 MB in 42 files", or "Title: the search failed: REASON", printed as each
// category finishes.
QByteArray categoryLine(const QSScanResultPtr& result);
// One row per category in list order, then the total.
QByteArray scanTable(const QList<QSScanResultPtr>& results);
QByteArray scanJson(const QString& home, const QString& volume,
                    const QList<QSScanResultPtr>& results);

// The entries a clean will remove, one line each.
QByteArray removalPlan(const QSRemovalPlan& plan);
// What a dry run shows: the plan and what it would free.
QByteArray dryRunText(const QSRemovalPlan& plan);
QByteArray dryRunJson(const QSRemovalPlan& plan);
quint64 sizeOfPlan(const QSRemovalPlan& plan);
QByteArray removalText(const QList<QSRemovedItemPtr>& removed);
QByteArray removalJson(const QList<QSRemovedItemPtr>& removed);
bool hasFailures(const QList<QSRemovedItemPtr>& removed);

void writeFile(JsonWriter& json, const QSScannedFilePtr& file);

}  // namespace report
