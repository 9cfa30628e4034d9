#pragma once

#include <QList>
#include <atomic>
#include <memory>

#include "engine/scan_model.h"

// What one confirmation removes, taken on the main thread at that moment: exactly the
// entries shown and ticked in the results of the categories that are switched on, of
// results that finished and are not disabled. Ticks changed afterwards do not change it.
// A path listed by several categories (a partial download is also a download and may be
// a large file) is removed once, by the first category that lists it.
class QSRemovalPlan {
public:
    struct Part {
        QSScanResultPtr result;
        QList<QSScannedFilePtr> files;
    };

    // `results` are those of the categories switched on; placeholders of categories
    // still scanning (null) are left out.
    static QSRemovalPlan planWithResults(const QList<QSScanResultPtr>& results);

    // One part per result, in the order given, also for results with nothing to remove,
    // so that each reports what it freed.
    const QList<Part>& parts() const { return parts_; }
    qsizetype fileCount() const;
    bool isEmpty() const { return fileCount() == 0; }

    // Stops a running removal after the entries in hand; safe to set from a signal
    // handler (a lock-free atomic).
    void stop() const { stop_->store(true); }
    bool stopped() const { return stop_->load(); }
    std::shared_ptr<const std::atomic<bool>> stopFlag() const { return stop_; }

private:
    QList<Part> parts_;
    std::shared_ptr<std::atomic<bool>> stop_ = std::make_shared<std::atomic<bool>>(false);
};
