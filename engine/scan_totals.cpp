#include "engine/scan_totals.h"

#include <QSet>

QSScanTotals QSScanTotals::ofResults(const QList<QSScanResultPtr>& results) {
    QSScanTotals totals;
    QSet<QString> counted;
    // A group counts through its members, which other categories may list on their own.
    const auto count = [&](const QSScannedFilePtr& file, const auto& self) -> void {
        if (file->isGroup()) {
            for (const auto& member : file->files())
                self(member, self);
            return;
        }
        const QString path = file->path();
        if (!path.isNull()) {
            if (counted.contains(path)) return;
            counted.insert(path);
        }
        totals.size += file->fileSize();
        totals.files += 1;
    };
    for (const auto& result : results) {
        if (!result || !result->removesFiles()) continue;
        for (const auto& file : result->detailArray())
            count(file, count);
    }
    return totals;
}
