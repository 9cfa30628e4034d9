#include "engine/removal_plan.h"

#include <QSet>

QSRemovalPlan QSRemovalPlan::planWithResults(const QList<QSScanResultPtr>& results) {
    QSRemovalPlan plan;
    QSet<QString> taken;
    for (const auto& result : results) {
        if (!result) continue;
        Part part{result, {}};
        for (const auto& file : result->filesToRemove()) {
            const QString path = file->path();
            if (taken.contains(path)) continue;
            taken.insert(path);
            part.files.append(file);
        }
        plan.parts_.append(std::move(part));
    }
    return plan;
}

qsizetype QSRemovalPlan::fileCount() const {
    qsizetype count = 0;
    for (const auto& part : parts_)
        count += part.files.size();
    return count;
}
