#pragma once

#include <QHash>
#include <QPointer>
#include <QTimer>

#include "appearance/kp_view_controller.h"
#include "appearance/sw_popover_window_controller.h"
#include "engine/scanner.h"
#include "results/memory_formatter.h"
#include "results/screens/pv_device_label.h"
#include "results/sw_results_sidebar_model.h"

class KPYosemiteButton;
class LNTableView;
class SWDetailViewController;
class SWDriveInfoWindowController;
class SWFinishedPopoverViewController;
class SWSidebarItemDelegate;
class SWTimeMachinePopoverViewController;

// The working screen: the sidebar of categories filling in as the scan runs, the
// selected category's detail pane, the totals and the remove button; and the road from
// the remove button through the confirmation to the completion and a new scan.
class SWResultsViewController : public KPViewController, public SWPopoverDelegate {
    Q_OBJECT
public:
    static constexpr double kScanDelaySeconds = 0.5;
    static constexpr int kTotalsFadeMs = 100;
    static constexpr qreal kNextButtonRightMargin = 10.0;
    static constexpr char kScanCompleteTitle[] = "Scan Complete";
    static constexpr char kRemovableFilesFound[] = "%1 of removable files found";
    static constexpr char kNotificationSound[] = "qrc:/app/notification.wav";

    ~SWResultsViewController() override;

    QSScanner& scanner() { return *scanner_; }
    SWResultsSidebarModel& model() { return model_; }
    const QList<PVDeviceButtonModel>& volumeArray() const { return volumeArray_; }
    std::shared_ptr<SWDetailViewController> currentViewController() const {
        return currentViewController_;
    }
    std::shared_ptr<SWDetailViewController> detailViewControllerForKey(const QString& key) const {
        return detailViewControllers_.value(key);
    }
    // The confirmation and the completion while they are shown.
    std::shared_ptr<SWTimeMachinePopoverViewController> timeMachinePopoverController() const {
        return timeMachinePopoverController_;
    }
    std::shared_ptr<SWFinishedPopoverViewController> finishedPopoverViewController() const {
        return finishedPopoverViewController_;
    }
    // The drive information window while it is open.
    std::shared_ptr<SWDriveInfoWindowController> driveInfoWindowController() const {
        return driveInfoWindowController_;
    }
    // From the confirmation until the next scan has completed the remove button stays
    // disabled: a second removal would work on the entries of the first.
    bool nextButtonLocked() const { return nextButtonLocked_; }
    // Called as a confirmed removal starts and ends (the main window waits for a removal
    // before quitting).
    void setRemovalStateBlock(std::function<void(bool)> block) {
        removalStateBlock_ = std::move(block);
    }

    void startScanningSelectedVolume();
    void reloadData();
    void updateTotalLabels();
    void enableNextButtonIfNeeded();
    void updateDeviceLabel();
    void refreshSidebar();
    void showScanCompletedNotification();
    void handleGoNextWithResults(const QList<QSRemovedItemPtr>& removedItems);
    void showFinishedWithResults(const QList<QSRemovedFilePtr>& files);
    // Opens the drive information window under the label, or closes it when open.
    void showDeviceMenu(QWidget* sender);

public slots:
    void on_nextButton_clicked();

protected:
    void kp_viewDidLoad() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void popoverDidClose(SWPopoverWindowController* popover) override;

private:
    friend class KPViewController;
    SWResultsViewController() = default;

    void applyThemeKeys();
    void configureSidebar();
    void scanItemFinished(const QSScanResultPtr& result);
    void scanCompleted();
    void didToggleSelected(int row);
    void tableViewSelectionDidChange();
    void pushDetailViewController(const std::shared_ptr<SWDetailViewController>& controller);
    std::shared_ptr<SWDetailViewController> detailControllerForRow(const SWResultRowPtr& row);
    void layoutNextButton(qreal width);
    void setAlpha(QWidget* view, qreal alpha, bool animated);
    void setNextButtonLocked(bool locked);
    void pushErrorViewController(const QList<QSRemovedItemPtr>& removedItems);
    QWidget* outlet(const char* name) const;

    std::unique_ptr<QSScanner> scanner_;
    SWResultsSidebarModel model_;
    KPMemoryFormatter memoryFormatter_;
    QList<PVDeviceButtonModel> volumeArray_;
    int selectedIndex_ = 0;
    QHash<QString, std::shared_ptr<SWDetailViewController>> detailViewControllers_;
    std::shared_ptr<SWDetailViewController> currentViewController_;
    std::shared_ptr<SWTimeMachinePopoverViewController> timeMachinePopoverController_;
    std::shared_ptr<SWFinishedPopoverViewController> finishedPopoverViewController_;
    std::shared_ptr<SWDriveInfoWindowController> driveInfoWindowController_;

    LNTableView* tableView_ = nullptr;
    SWSidebarItemDelegate* delegate_ = nullptr;
    KPYosemiteButton* nextButton_ = nullptr;
    QTimer spinnerTimer_;
    // Each scan's callbacks carry its number; those of an older scan are dropped.
    quint64 scanGeneration_ = 0;
    bool nextButtonLocked_ = false;
    std::function<void(bool)> removalStateBlock_;
};
