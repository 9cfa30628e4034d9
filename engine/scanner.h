#pragma once

#include <QList>
#include <functional>
#include <memory>

#include "engine/removal_plan.h"
#include "engine/scan_model.h"

// Runs every scan category at once and deletes results.
class QSScanner {
public:
    using ScanCompletion = std::function<void(const QList<QSScanResultPtr>& results)>;
    using ScanItemFinished = std::function<void(const QSScanResultPtr& result, qsizetype index)>;
    using DeleteCompletion = std::function<void(const QList<QSRemovedItemPtr>& removedItems)>;

    explicit QSScanner(bool isSandboxed);

    // The categories in their fixed order; new objects at each call.
    static QList<std::shared_ptr<QSScanItem>> scanItemsWithIsSandboxed(bool isSandboxed);

    const QList<std::shared_ptr<QSScanItem>>& scanItems() const { return scanItems_; }
    void setScanItems(const QList<std::shared_ptr<QSScanItem>>& items) { scanItems_ = items; }
    bool isSandboxed() const { return isSandboxed_; }
    void setIsSandboxed(bool sandboxed) { isSandboxed_ = sandboxed; }

    // Scans every category. Each finished block reaches the main thread with the
    // category's index as the category finishes; the completion block follows with one
    // result per category, in list order. Returns at once; call on the main thread.
    void scanVolume(const QString& volumePath, ScanCompletion completionBlock,
                    ScanItemFinished scanItemFinishedBlock = nullptr);

    // Takes the removal plan of the results now and deletes it.
    static void deleteItems(const QList<QSScanResultPtr>& items, DeleteCompletion completionBlock);
    // Deletes each part of the plan in parallel; the completion block reaches the main
    // thread once, with the removed items in the order their deletions finished.
    static void deletePlan(const QSRemovalPlan& plan, DeleteCompletion completionBlock);

private:
    QList<std::shared_ptr<QSScanItem>> scanItems_;
    bool isSandboxed_;
};
