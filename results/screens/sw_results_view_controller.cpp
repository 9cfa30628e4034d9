#include "results/screens/sw_results_view_controller.h"

#include <QFileInfo>
#include <QGraphicsOpacityEffect>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPropertyAnimation>
#include <QVBoxLayout>
#include <algorithm>

#include "appearance/kp_navigation_controller.h"
#include "appearance/kp_text_field.h"
#include "appearance/kp_view.h"
#include "appearance/kp_yosemite_button.h"
#include "appearance/qrk_spinning_progress_indicator.h"
#include "base/dispatch.h"
#include "base/notification_center.h"
#include "base/sw_user_defaults.h"
#include "engine/disk_utilities.h"
#include "platform/services.h"
#include "results/screens/ln_table_view.h"
#include "results/screens/sw_desktop.h"
#include "results/screens/sw_detail_view_controller.h"
#include "results/screens/sw_drive_info_window_controller.h"
#include "results/screens/sw_error_view_controller.h"
#include "results/screens/sw_finished_popover_view_controller.h"
#include "results/screens/sw_sidebar_item_delegate.h"
#include "results/screens/sw_time_machine_popover_view_controller.h"
#include "ui_sw_results_view_controller.h"

KP_INTERFACE_DEFINITION(SWResultsViewController);
KP_SCREEN(SWResultsViewController);

namespace {

constexpr char kScanVolume[] = "/";
constexpr int kImageColumnWidth = 44;
constexpr int kEnableColumnWidth = 62;

}  // namespace

// A window still closing must not report to a screen that is gone.
SWResultsViewController::~SWResultsViewController() {
    if (driveInfoWindowController_) driveInfoWindowController_->setDelegate(nullptr);
}

QWidget* SWResultsViewController::outlet(const char* name) const {
    auto* found = const_cast<SWResultsViewController*>(this)->view()->findChild<QWidget*>(
        QLatin1String(name));
    Q_ASSERT_X(found, "outlet", name);
    return found;
}

void SWResultsViewController::kp_viewDidLoad() {
    scanner_ = std::make_unique<QSScanner>(false);
    nextButton_ = static_cast<KPYosemiteButton*>(outlet("nextButton"));
    nextButton_->setCell(std::make_unique<KPBlueYosemiteButtonCell>());
    outlet("bottomBar")->installEventFilter(this);
    applyThemeKeys();
    configureSidebar();
    connect(&NotificationCenter::defaultCenter(), &NotificationCenter::notificationPosted, this,
            [this](const QString& name, const void*) {
                if (name == QLatin1String(SWDetailViewController::kRefreshSidebarNotification)) {
                    refreshSidebar();
                }
            });
    for (const char* name :
         {"totalsContainerView", "selectedLabelContainerView", "emptyContainerView"}) {
        setAlpha(outlet(name), 0, false);
    }
    auto* deviceLabel = static_cast<PVDeviceLabel*>(outlet("deviceLabel"));
    connect(deviceLabel, &PVDeviceLabel::clicked, this,
            [this, deviceLabel] { showDeviceMenu(deviceLabel); });
    updateDeviceLabel();
    startScanningSelectedVolume();
    enableNextButtonIfNeeded();
    updateTotalLabels();
}

void SWResultsViewController::configureSidebar() {
    tableView_ = static_cast<LNTableView*>(outlet("tableView"));
    tableView_->setModel(&model_);
    delegate_ = new SWSidebarItemDelegate(tableView_);
    tableView_->setItemDelegate(delegate_);
    tableView_->setAccessibleName(QStringLiteral("Categories"));
    tableView_->installEventFilter(this);
    tableView_->horizontalHeader()->hide();
    tableView_->verticalHeader()->hide();
    tableView_->setShowGrid(false);
    tableView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableView_->setSelectionMode(QAbstractItemView::SingleSelection);
    tableView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableView_->verticalHeader()->setDefaultSectionSize(SWSidebarItemDelegate::kRowHeight);
    QHeaderView* columns = tableView_->horizontalHeader();
    columns->setSectionResizeMode(SWResultsSidebarModel::DetailColumn, QHeaderView::Stretch);
    columns->resizeSection(SWResultsSidebarModel::ImageColumn, kImageColumnWidth);
    columns->resizeSection(SWResultsSidebarModel::EnableColumn, kEnableColumnWidth);
    tableView_->setBackgroundColorKey(QStringLiteral("sidebarColor"));
    connect(delegate_, &SWSidebarItemDelegate::switchToggled, this,
            &SWResultsViewController::didToggleSelected);
    connect(tableView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &SWResultsViewController::tableViewSelectionDidChange);
    // The heading spans the row and is lower than the categories.
    auto placeHeading = [this] {
        tableView_->clearSpans();
        for (int row = 0; row < model_.rowCount(); ++row) {
            const bool group = model_.isGroupRow(row);
            if (group) tableView_->setSpan(row, 0, 1, SWResultsSidebarModel::ColumnCount);
            tableView_->setRowHeight(row, group ? SWSidebarItemDelegate::kGroupRowHeight
                                                : SWSidebarItemDelegate::kRowHeight);
        }
    };
    connect(&model_, &QAbstractItemModel::rowsInserted, this, placeHeading);
    connect(&model_, &QAbstractItemModel::rowsMoved, this, placeHeading);
    connect(&model_, &QAbstractItemModel::modelReset, this, placeHeading);
    spinnerTimer_.setInterval(QRKSpinningProgressIndicator::kFrameIntervalMs);
    // Only the column of the spinners changes from frame to frame.
    connect(&spinnerTimer_, &QTimer::timeout, this, [this] {
        const int column = SWResultsSidebarModel::EnableColumn;
        tableView_->viewport()->update(tableView_->columnViewportPosition(column), 0,
                                       tableView_->columnWidth(column),
                                       tableView_->viewport()->height());
    });
}

void SWResultsViewController::applyThemeKeys() {
    static_cast<KPThemableView*>(outlet("deviceBar"))
        ->setBackgroundColorKey(QStringLiteral("deviceHeaderBackgroundColor"));
    for (const char* name : {"bottomBar", "detailContentView"}) {
        static_cast<KPThemableView*>(outlet(name))
            ->setBackgroundColorKey(QStringLiteral("windowColor"));
    }
    for (const char* name : {"totalTitleLabel", "selectedTitleLabel"}) {
        auto* label = static_cast<KPThemableTextField*>(outlet(name));
        label->setFontKey(QStringLiteral("bottomToolbarLabelHeaderFont"));
        label->setTextColorKey(QStringLiteral("bottomToolbarLabelHeaderColor"));
    }
    for (const char* name : {"totalSizeLabel", "selectedSizeLabel", "emptyLabel"}) {
        auto* label = static_cast<KPThemableTextField*>(outlet(name));
        label->setFontKey(QStringLiteral("bottomToolbarLabelFont"));
        label->setTextColorKey(QStringLiteral("bottomToolbarLabelColor"));
    }
}

// Scanning

void SWResultsViewController::startScanningSelectedVolume() {
    reloadData();
    enableNextButtonIfNeeded();
    // The totals of the last scan go with its rows.
    updateTotalLabels();
    const quint64 generation = ++scanGeneration_;
    QPointer<SWResultsViewController> weakSelf(this);
    dispatch::dispatchAfter(kScanDelaySeconds, [weakSelf, generation] {
        if (!weakSelf || weakSelf->scanGeneration_ != generation) return;
        const QString volume = weakSelf->volumeArray_.value(weakSelf->selectedIndex_).path;
        weakSelf->scanner_->scanVolume(
            volume,
            [weakSelf, generation](const QList<QSScanResultPtr>&) {
                if (weakSelf && weakSelf->scanGeneration_ == generation) weakSelf->scanCompleted();
            },
            [weakSelf, generation](const QSScanResultPtr& result, qsizetype) {
                if (weakSelf && weakSelf->scanGeneration_ == generation) {
                    weakSelf->scanItemFinished(result);
                }
            });
    });
}

void SWResultsViewController::reloadData() {
    const SWResultRowPtr shown = currentViewController_ ? currentViewController_->row() : nullptr;
    const QString shownKey = shown ? shown->key() : QString();
    detailViewControllers_.clear();
    model_.reloadData(scanner_->scanItems());
    for (const SWResultRowPtr& row : model_.rows()) {
        detailViewControllers_.insert(row->key(), detailControllerForRow(row));
    }
    delegate_->setSpinning(true);
    spinnerTimer_.start();
    // The pane never keeps a screen of the last scan: its rows are gone, and a tick there
    // would not reach the entries the next removal works on.
    if (!shownKey.isNull()) {
        tableView_->selectRow(model_.indexOfKey(shownKey));
        pushDetailViewController(detailViewControllers_.value(shownKey));
    }
}

void SWResultsViewController::scanItemFinished(const QSScanResultPtr& result) {
    model_.scanItemFinished(result);
    updateTotalLabels();
    if (auto detail = detailViewControllers_.value(result->key())) {
        detail->setRow(model_.rowForKey(result->key()));
    }
}

void SWResultsViewController::scanCompleted() {
    spinnerTimer_.stop();
    delegate_->setSpinning(false);
    setNextButtonLocked(false);
    showScanCompletedNotification();
    enableNextButtonIfNeeded();
    tableView_->reloadData();
}

void SWResultsViewController::showScanCompletedNotification() {
    SWDesktop& desktop = SWDesktop::shared();
    desktop.requestAttention(view()->window());
    if (!platform::services().notificationGate->hasUserNotificationCenter()) return;
    const quint64 total = model_.totalSize();
    const QString body = total == 0 ? QString()
                                    : QString::fromLatin1(kRemovableFilesFound)
                                          .arg(memoryFormatter_.stringFromBytes(double(total)));
    if (SWUserDefaults::standardUserDefaults().playNotificationSound()) {
        desktop.playSound(QUrl(QString::fromLatin1(kNotificationSound)));
    }
    desktop.postNotification(QString::fromLatin1(kScanCompleteTitle), body);
}

// Totals and the remove button

void SWResultsViewController::updateTotalLabels() {
    const quint64 total = model_.totalSize();
    const quint64 selected = model_.selectedSize();
    // The three parts of the strip are siblings: a fading view inside another fading
    // view is drawn by two painters at once.
    if (total == 0) {
        setAlpha(outlet("emptyContainerView"), 0, false);
        setAlpha(outlet("totalsContainerView"), 0, false);
        setAlpha(outlet("selectedLabelContainerView"), 0, false);
        return;
    }
    setAlpha(outlet("selectedLabelContainerView"), selected != 0 ? 1 : 0, true);
    setAlpha(outlet("emptyContainerView"), selected != 0 ? 0 : 1, true);
    setAlpha(outlet("totalsContainerView"), 1, true);
    static_cast<QLabel*>(outlet("totalSizeLabel"))
        ->setText(memoryFormatter_.stringFromBytes(double(total)));
    static_cast<QLabel*>(outlet("selectedSizeLabel"))
        ->setText(memoryFormatter_.stringFromBytes(double(selected)));
}

void SWResultsViewController::setAlpha(QWidget* view, qreal alpha, bool animated) {
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(view->graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(view);
        view->setGraphicsEffect(effect);
    }
    // A view at alpha 0 is hidden too, so neither the pointer nor a screen reader finds it.
    view->setVisible(alpha > 0 || animated);
    if (!animated) {
        effect->setOpacity(alpha);
        return;
    }
    auto* fade = new QPropertyAnimation(effect, "opacity", view);
    fade->setDuration(kTotalsFadeMs);
    fade->setEndValue(alpha);
    connect(fade, &QPropertyAnimation::finished, view,
            [view, alpha] { view->setVisible(alpha > 0); });
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void SWResultsViewController::enableNextButtonIfNeeded() {
    const bool homeExists =
        QFileInfo::exists(QSDiskUtilities::sharedInstance().homeDirectoryPath());
    const auto state = model_.nextButtonState(homeExists, nextButtonLocked_);
    nextButton_->setText(state.title);
    nextButton_->setAccessibleName(state.title);
    nextButton_->setEnabled(state.enabled);
    layoutNextButton(state.width);
}

void SWResultsViewController::layoutNextButton(qreal width) {
    QWidget* bar = nextButton_->parentWidget();
    QRect frame = nextButton_->geometry();
    frame.setWidth(int(width));
    frame.moveLeft(int(bar->width() - width - kNextButtonRightMargin));
    nextButton_->setGeometry(frame);
}

bool SWResultsViewController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tableView_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        const int row = tableView_->currentIndex().row();
        const SWResultRowPtr shown = model_.rowAtIndex(row);
        if (shown && model_.setRowSelected(row, !shown->selected())) didToggleSelected(row);
        return true;
    }
    if (event->type() == QEvent::Resize && watched == nextButton_->parentWidget()) {
        layoutNextButton(nextButton_->width());
    }
    return KPViewController::eventFilter(watched, event);
}

void SWResultsViewController::updateDeviceLabel() {
    PVDeviceButtonModel volume = PVDeviceButtonModel::modelForVolumeHolding(
        QSDiskUtilities::sharedInstance().homeDirectoryPath());
    volume.path = QString::fromLatin1(kScanVolume);
    volumeArray_ = {volume};
    selectedIndex_ = 0;
    static_cast<PVDeviceLabel*>(outlet("deviceLabel"))->setDeviceInfo(volume);
}

// Every opening makes a new window, so the drive is read afresh each time.
void SWResultsViewController::showDeviceMenu(QWidget* sender) {
    if (driveInfoWindowController_) {
        driveInfoWindowController_->close();
        return;
    }
    driveInfoWindowController_ = KPWindowController::controller<SWDriveInfoWindowController>();
    driveInfoWindowController_->setDelegate(this);
    driveInfoWindowController_->showRelativeToRect(sender->rect(), sender,
                                                   SWPopoverWindowController::kCentredEdge);
}

void SWResultsViewController::popoverDidClose(SWPopoverWindowController* popover) {
    if (popover == driveInfoWindowController_.get()) driveInfoWindowController_.reset();
}

void SWResultsViewController::refreshSidebar() {
    tableView_->reloadData();
    enableNextButtonIfNeeded();
    updateTotalLabels();
}

// Switches and the detail pane

void SWResultsViewController::didToggleSelected(int row) {
    enableNextButtonIfNeeded();
    updateTotalLabels();
    tableView_->selectRow(row);
}

void SWResultsViewController::tableViewSelectionDidChange() {
    const QModelIndexList selected = tableView_->selectionModel()->selectedRows();
    if (selected.isEmpty()) return;
    const SWResultRowPtr row = model_.rowAtIndex(selected.first().row());
    if (!row) return;
    std::shared_ptr<SWDetailViewController> detail = detailViewControllers_.value(row->key());
    if (!detail) {
        detail = detailControllerForRow(row);
        detailViewControllers_.insert(row->key(), detail);
    }
    pushDetailViewController(detail);
}

void SWResultsViewController::pushDetailViewController(
    const std::shared_ptr<SWDetailViewController>& controller) {
    if (controller == currentViewController_) return;
    QWidget* pane = outlet("detailContentView");
    auto* layout = static_cast<QVBoxLayout*>(pane->layout());
    if (currentViewController_) {
        currentViewController_->kp_setIsVisible(false);
        layout->removeWidget(currentViewController_->view());
        currentViewController_->view()->hide();
    }
    controller->view()->setParent(pane);
    layout->addWidget(controller->view());
    controller->view()->show();
    controller->kp_setIsVisible(true);
    currentViewController_ = controller;
}

std::shared_ptr<SWDetailViewController> SWResultsViewController::detailControllerForRow(
    const SWResultRowPtr& row) {
    return SWDetailViewController::controllerWithRow(row);
}

// Removing

void SWResultsViewController::setNextButtonLocked(bool locked) {
    nextButtonLocked_ = locked;
    enableNextButtonIfNeeded();
}

void SWResultsViewController::on_nextButton_clicked() {
    if (nextButtonLocked_) return;
    setNextButtonLocked(true);
    timeMachinePopoverController_ =
        KPViewController::controller<SWTimeMachinePopoverViewController>();
    timeMachinePopoverController_->setResultsArray(model_.rows());
    connect(timeMachinePopoverController_.get(),
            &SWTimeMachinePopoverViewController::removingChanged, this, [this](bool removing) {
                if (removalStateBlock_) removalStateBlock_(removing);
            });
    QPointer<SWResultsViewController> weakSelf(this);
    timeMachinePopoverController_->setDidCloseBlock(
        [weakSelf](bool cancelled, const QList<QSRemovedItemPtr>& removedItems) {
            if (!weakSelf) return;
            if (cancelled) {
                weakSelf->setNextButtonLocked(false);
                return;
            }
            weakSelf->handleGoNextWithResults(removedItems);
        });
    timeMachinePopoverController_->showPopoverInWindow(parentWindow(), true);
}

void SWResultsViewController::handleGoNextWithResults(const QList<QSRemovedItemPtr>& removedItems) {
    const bool failures =
        std::any_of(removedItems.begin(), removedItems.end(),
                    [](const auto& item) { return !item->failedFiles().isEmpty(); });
    if (failures && navigationController()) {
        pushErrorViewController(removedItems);
        return;
    }
    QList<QSRemovedFilePtr> files;
    for (const QSRemovedItemPtr& item : removedItems) {
        if (item->files()) files.append(*item->files());
    }
    showFinishedWithResults(files);
}

// When nothing at all was removed there is nothing to complete and no reason to scan
// again: the list as it stands is still true, so removing becomes possible again.
void SWResultsViewController::pushErrorViewController(const QList<QSRemovedItemPtr>& removedItems) {
    auto errors = SWErrorViewController::controllerWithResults(removedItems);
    QPointer<SWResultsViewController> weakSelf(this);
    errors->setDidFinishBlock([weakSelf](const QList<QSRemovedFilePtr>& successArray) {
        if (!weakSelf) return;
        if (successArray.isEmpty()) {
            weakSelf->setNextButtonLocked(false);
        } else {
            weakSelf->showFinishedWithResults(successArray);
        }
    });
    navigationController()->pushViewController(errors, true);
}

void SWResultsViewController::showFinishedWithResults(const QList<QSRemovedFilePtr>& files) {
    finishedPopoverViewController_ =
        KPViewController::controller<SWFinishedPopoverViewController>();
    finishedPopoverViewController_->setResultsArray(files);
    QPointer<SWResultsViewController> weakSelf(this);
    // The placeholders come back at once; only the scanner waits its half second.
    finishedPopoverViewController_->setDidCloseBlock([weakSelf] {
        if (!weakSelf) return;
        weakSelf->startScanningSelectedVolume();
    });
    finishedPopoverViewController_->showPopoverInWindow(parentWindow(), true);
}
