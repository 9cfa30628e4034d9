#pragma once

#include <QList>

#include "engine/scan_model.h"

// What a scan found in all, as the totals show it: each path counted once however many
// categories list it, and nothing of a category whose entries are never removed (login
// items are switched, not cleaned).
struct QSScanTotals {
    quint64 size = 0;
    qsizetype files = 0;

    static QSScanTotals ofResults(const QList<QSScanResultPtr>& results);
};
