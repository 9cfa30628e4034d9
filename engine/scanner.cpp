#include "engine/scanner.h"

#include <mutex>

#include "base/dispatch.h"
#include "engine/categories/aging_files_item.h"
#include "engine/categories/application_caches_item.h"
#include "engine/categories/application_logs_item.h"
#include "engine/categories/broken_login_items_item.h"
#include "engine/categories/broken_prefs_item.h"
#include "engine/categories/browser_item.h"
#include "engine/categories/developer_item.h"
#include "engine/categories/dmg_item.h"
#include "engine/categories/downloads_item.h"
#include "engine/categories/ios_backup_item.h"
#include "engine/categories/ios_item.h"
#include "engine/categories/itunes_item.h"
#include "engine/categories/large_files_item.h"
#include "engine/categories/leftover_item.h"
#include "engine/categories/login_items_item.h"
#include "engine/categories/mail_downloads_item.h"
#include "engine/categories/message_attachments_item.h"
#include "engine/categories/partial_downloads_item.h"
#include "engine/categories/screenshot_item.h"
#include "engine/categories/trash_item.h"
#include "engine/disk_utilities.h"

QSScanner::QSScanner(bool isSandboxed)
    : scanItems_(scanItemsWithIsSandboxed(isSandboxed)), isSandboxed_(isSandboxed) {}

// The fixed list of categories; its order is the order of results.
QList<std::shared_ptr<QSScanItem>> QSScanner::scanItemsWithIsSandboxed(bool isSandboxed) {
    QList<std::shared_ptr<QSScanItem>> items;
    items.append(QSApplicationCachesItem::item());
    items.append(QSApplicationLogsItem::item());
    items.append(QSLeftoverItem::item());
    items.append(QSBrowserItem::item());
    items.append(QSiTunesItem::item());
    items.append(QSTrashItem::item());
    items.append(QSIOSItem::item());
    items.append(QSIOSBackupItem::item());
    items.append(QSPartialDownloadsItem::item());
    items.append(QSDownloadsItem::item());
    items.append(QSMailDownloadsItem::item());
    items.append(QSMessageAttachmentsItem::item());
    items.append(QSLargeFilesItem::item());
    items.append(QSScreenshotItem::item());
    items.append(QSDeveloperItem::item());
    items.append(QSDMGItem::item());
    items.append(QSAgingFilesItem::item());
    items.append(QSBrokenLoginItemsItem::item());
    items.append(QSBrokenPrefsItem::item());
    if (!isSandboxed) items.append(QSLoginItemsItem::item());
    return items;
}

void QSScanner::scanVolume(const QString& volumePath, ScanCompletion completionBlock,
                           ScanItemFinished scanItemFinishedBlock) {
    QSDiskUtilities::sharedInstance().setCurrentVolumePath(volumePath);
    const auto items = scanItems_;
    const bool sandboxed = isSandboxed_;
    auto queue = dispatch::SerialQueue::create(dispatch::queueLabel(QStringLiteral("scan")));
    queue->async([items, sandboxed, completionBlock = std::move(completionBlock),
                  finished = std::move(scanItemFinishedBlock)] {
        struct ResultSlots {
            std::mutex mutex;
            QList<QSScanResultPtr> results;
        };
        auto resultSlots = std::make_shared<ResultSlots>();
        resultSlots->results.resize(items.size());
        auto group = std::make_shared<dispatch::Group>();
        for (qsizetype index = 0; index < items.size(); ++index) {
            const auto& item = items[index];
            item->setIsSandboxed(sandboxed);
            group->enter();
            item->scanWithCompletionBlock([resultSlots, group, finished,
                                           index](QSScanResultPtr result) {
                {
                    std::lock_guard lock(resultSlots->mutex);
                    resultSlots->results[index] = result;
                }
                if (finished)
                    dispatch::dispatchMain([finished, result, index] { finished(result, index); });
                group->leave();
            });
        }
        group->notify([resultSlots, completionBlock] {
            QList<QSScanResultPtr> results;
            {
                std::lock_guard lock(resultSlots->mutex);
                results = resultSlots->results;
            }
            dispatch::dispatchMain([completionBlock, results] { completionBlock(results); });
        });
    });
}

void QSScanner::deleteItems(const QList<QSScanResultPtr>& items, DeleteCompletion completionBlock) {
    deletePlan(QSRemovalPlan::planWithResults(items), std::move(completionBlock));
}

void QSScanner::deletePlan(const QSRemovalPlan& plan, DeleteCompletion completionBlock) {
    auto queue = dispatch::SerialQueue::create(dispatch::queueLabel(QStringLiteral("delete")));
    queue->async([parts = plan.parts(), stop = plan.stopFlag(),
                  completionBlock = std::move(completionBlock)] {
        // Nothing to delete still completes, once, with an empty list.
        if (parts.isEmpty()) {
            dispatch::dispatchMain([completionBlock] { completionBlock({}); });
            return;
        }
        struct Progress {
            std::mutex mutex;
            QList<QSRemovedItemPtr> removed;
            qsizetype finished = 0;
        };
        auto progress = std::make_shared<Progress>();
        const qsizetype total = parts.size();
        for (const auto& part : parts) {
            part.result->deleteFiles(
                part.files,
                [progress, total, completionBlock](bool, QSRemovedItemPtr item) {
                    std::lock_guard lock(progress->mutex);
                    if (item) progress->removed.append(item);
                    if (++progress->finished == total) {
                        dispatch::dispatchMain([completionBlock, removed = progress->removed] {
                            completionBlock(removed);
                        });
                    }
                },
                stop);
        }
    });
}
