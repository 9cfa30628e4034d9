#include "results/screens/sw_detail_view_controller.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QStackedWidget>
#include <QTimer>

#include "appearance/kp_image_view.h"
#include "appearance/kp_text_field.h"
#include "appearance/kp_view.h"
#include "appearance/qrk_spinning_progress_indicator.h"
#include "base/notification_center.h"
#include "results/screens/sw_desktop.h"
#include "results/screens/sw_detail_row_view.h"
#include "results/screens/sw_file_table.h"
#include "results/screens/sw_hover_view.h"
#include "results/screens/sw_selection_popover_controller.h"
#include "results/sw_category_texts.h"
#include "ui_sw_detail_view_controller.h"

KP_INTERFACE_DEFINITION(SWDetailViewController);
KP_SCREEN(SWDetailViewController);
KP_SCREEN(SWAgingAppsDetailViewController);
KP_SCREEN(SWLoginItemsDetailViewController);

namespace {

constexpr int kImageColumnWidth = 40;
constexpr int kSizeColumnWidth = 110;
constexpr int kDateColumnWidth = 190;
constexpr int kCheckBoxColumnWidth = 64;
constexpr int kTooltipVerticalMargin = 10;
constexpr int kPopoverPreferredEdge = 1;

// The categories of files a person looks at before removing them: their reveal button
// previews the file.
bool previewsOnReveal(const QString& key) {
    static const QStringList keys = {QStringLiteral("large-files"), QStringLiteral("downloads"),
                                     QStringLiteral("message-attachments"),
                                     QStringLiteral("screenshots")};
    return keys.contains(key);
}

// Browser caches are folders of hashed names: nothing there is worth revealing.
constexpr char kBrowserCacheKey[] = "browser-cache";

}  // namespace

std::shared_ptr<SWDetailViewController> SWDetailViewController::controllerWithRow(
    const SWResultRowPtr& row) {
    std::shared_ptr<SWDetailViewController> controller;
    switch (SWDetailTableModel::variantForKey(row->key())) {
        case SWDetailTableModel::Variant::Dates:
            controller = KPViewController::controller<SWAgingAppsDetailViewController>();
            break;
        case SWDetailTableModel::Variant::LoginItems:
            controller = KPViewController::controller<SWLoginItemsDetailViewController>();
            break;
        case SWDetailTableModel::Variant::Standard:
            controller = KPViewController::controller<SWDetailViewController>();
            break;
    }
    controller->setRow(row);
    return controller;
}

SWDetailViewController::~SWDetailViewController() {
    // The panel must not ask a screen that is gone, nor keep showing an entry of its scan.
    if (SWPreviewPanel* panel = controlledPreviewPanel()) {
        panel->orderOut();
        panel->setController(nullptr);
    }
}

QWidget* SWDetailViewController::outlet(const char* name) const {
    auto* found =
        const_cast<SWDetailViewController*>(this)->view()->findChild<QWidget*>(QLatin1String(name));
    Q_ASSERT_X(found, "outlet", name);
    return found;
}

void SWDetailViewController::kp_viewDidLoad() {
    model_ = new SWDetailTableModel(variant(), this);
    connect(model_, &SWDetailTableModel::selectionChanged, this,
            &SWDetailViewController::postRefreshSidebar);
    contentContainerView_ = static_cast<QStackedWidget*>(outlet("contentContainerView"));
    auto* tooltipView = static_cast<KPThemableView*>(outlet("tooltipView"));
    tooltipView->setBackgroundColorKey(QStringLiteral("detailsInfoBackgroundColor"));
    tooltipView->installEventFilter(this);
    for (const char* name : {"tooltipLabel", "emptyViewLabel"}) {
        auto* label = static_cast<KPThemableTextField*>(outlet(name));
        label->setFontKey(QStringLiteral("textFont"));
        label->setTextColorKey(QStringLiteral("textColor"));
    }
    static_cast<PVThemableSpinningProgressIndicator*>(outlet("progressIndicator"))
        ->setTintColorKey(QStringLiteral("progressIndicatorColor"));
    configureTable();
    configureHeader();
    configureContextMenu();
    updateUI();
}

void SWDetailViewController::configureTable() {
    tableView_ = static_cast<SWDetailTableView*>(outlet("tableView"));
    tableView_->setModel(model_);
    rowView_ =
        new SWDetailRowView(variant() == SWDetailTableModel::Variant::LoginItems, tableView_);
    tableView_->setItemDelegate(rowView_);
    tableView_->setHoverDelegate(this);
    tableView_->setBackgroundColorKey(QStringLiteral("windowColor"));
    swConfigureFileTable(tableView_, SWDetailRowView::kRowHeight, SWDetailTableModel::NameColumn);
    QHeaderView* columns = tableView_->horizontalHeader();
    columns->resizeSection(SWDetailTableModel::ImageColumn, kImageColumnWidth);
    columns->resizeSection(SWDetailTableModel::SizeColumn, kSizeColumnWidth);
    columns->resizeSection(SWDetailTableModel::DateColumn, kDateColumnWidth);
    columns->resizeSection(SWDetailTableModel::CheckBoxColumn, kCheckBoxColumnWidth);
    tableView_->setColumnHidden(SWDetailTableModel::DateColumn,
                                variant() != SWDetailTableModel::Variant::Dates);
    tableView_->installEventFilter(this);
    connect(columns, &QHeaderView::sectionResized, this, &SWDetailViewController::layoutHeader);
    connect(rowView_, &SWDetailRowView::revealClicked, this, &SWDetailViewController::showInFinder);
    // An open preview follows the selection, whether the keys or the pointer moved it.
    connect(tableView_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (SWPreviewPanel* panel = controlledPreviewPanel(); panel && panel->isPanelVisible()) {
            panel->reloadData();
        }
    });
}

void SWDetailViewController::configureHeader() {
    auto* headerView = static_cast<KPThemableView*>(outlet("headerView"));
    headerView->setBackgroundColorKey(QStringLiteral("windowColor"));
    headerView->installEventFilter(this);
    // The table comes first for the keyboard; the headers after it, in their order.
    QWidget* previous = tableView_;
    for (const char* name : {"nameHeader", "sizeHeader", "dateHeader", "selectButton"}) {
        QWidget::setTabOrder(previous, outlet(name));
        previous = outlet(name);
    }
    const std::pair<const char*, const char*> headers[] = {{"nameHeader", "nameLabel"},
                                                           {"sizeHeader", "sizeLabel"},
                                                           {"dateHeader", "dateLabel"},
                                                           {"selectButton", "selectLabel"}};
    for (const auto& [headerName, labelName] : headers) {
        auto* label = static_cast<SWHoverTextField*>(outlet(labelName));
        label->setFontKey(QStringLiteral("detailsTableHeaderFont"));
        label->setTextColorKey(QStringLiteral("detailsTableHeaderColor"));
        static_cast<SWHoverView*>(outlet(headerName))->setLinkedTextField(label);
    }
    for (const char* name : {"nameSortDirectionImageView", "sizeSortDirectionImageView",
                             "dateOrderImage", "selectArrowImageView"}) {
        static_cast<KPThemableImageView*>(outlet(name))
            ->setTintColorKey(QStringLiteral("detailsTableHeaderColor"));
    }
    static_cast<KPThemableImageView*>(outlet("selectArrowImageView"))
        ->setImage(QIcon(QString::fromLatin1(kSortDescendingImage)));
    auto clicked = [this](const char* name, void (SWDetailViewController::*action)()) {
        connect(static_cast<SWHoverView*>(outlet(name)), &SWHoverView::clicked, this, action);
    };
    clicked("nameHeader", &SWDetailViewController::didClickNameColumn);
    clicked("sizeHeader", &SWDetailViewController::didClickSizeColumn);
    clicked("selectButton", &SWDetailViewController::didClickSelectButton);
    outlet("dateHeader")->setVisible(variant() == SWDetailTableModel::Variant::Dates);
}

void SWDetailViewController::configureContextMenu() {
    contextMenu_ = new QMenu(tableView_);
    contextMenu_->addAction(QString::fromLatin1(kShowInFolderTitle), this,
                            [this] { actuallyShowInFinder(contextMenuRow_); });
    contextMenu_->addAction(QString::fromLatin1(kPreviewTitle), this,
                            [this] { quickLook(contextMenuRow_); });
    tableView_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tableView_, &QWidget::customContextMenuRequested, this, [this](const QPoint& point) {
        const SWResultRowPtr shown = row();
        if (!shown || shown->key() == QLatin1String(kBrowserCacheKey)) return;
        contextMenuRow_ = tableView_->rowAt(point.y());
        menuNeedsUpdate(contextMenuRow_);
        contextMenu_->popup(tableView_->viewport()->mapToGlobal(point));
    });
}

void SWDetailViewController::setRow(const SWResultRowPtr& row) {
    model_->setRow(row);
    scheduleUpdateUI();
}

void SWDetailViewController::reloadData() {
    model_->setSort(model_->sortOption(), model_->sortDirection());
    updateHeaderUI();
}

// A row handed over while the table is busy (a click being handled, a paint) is shown
// once that is done.
void SWDetailViewController::scheduleUpdateUI() {
    if (updateScheduled_) return;
    updateScheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        updateScheduled_ = false;
        updateUI();
    });
}

void SWDetailViewController::updateUI() {
    updateTooltipUI();
    auto* spinner = static_cast<PVThemableSpinningProgressIndicator*>(outlet("progressIndicator"));
    if (model_->isScanning()) {
        spinner->startAnimation();
        setCurrentView(outlet("loadingView"));
        return;
    }
    const SWResultRowPtr shown = row();
    setCurrentView(outlet(shown && shown->enabled() ? "detailsView" : "emptyView"));
    spinner->stopAnimation();
    if (shown) tableView_->setAccessibleName(shown->title());
    static_cast<QLabel*>(outlet("dateLabel"))
        ->setText(model_->headerData(SWDetailTableModel::DateColumn, Qt::Horizontal).toString());
    updateHeaderUI();
    tableView_->reloadData();
}

QWidget* SWDetailViewController::currentView() const {
    return contentContainerView_->currentWidget();
}

void SWDetailViewController::setCurrentView(QWidget* view) {
    contentContainerView_->setCurrentWidget(view);
    if (view == outlet("detailsView")) layoutHeader();
}

void SWDetailViewController::updateTooltipUI() {
    auto* label = static_cast<QLabel*>(outlet("tooltipLabel"));
    const SWResultRowPtr shown = row();
    if (tooltipText_.isNull() && shown) {
        tooltipText_ = SWCategoryTexts::tooltipForKey(shown->key());
        label->setText(tooltipText_);
    }
    QWidget* strip = outlet("tooltipView");
    const int width = strip->width() - kTooltipHorizontalInset;
    if (width <= 0) return;
    const int height = label->heightForWidth(width) + 1;
    // The strip is as tall as its explanation needs, never taller; the label is centred.
    strip->setFixedHeight(height + 2 * kTooltipVerticalMargin);
    const int y = qRound(strip->height() * 0.5 - height * 0.5);
    label->setGeometry(kTooltipHorizontalInset / 2, y, width, height);
}

void SWDetailViewController::layoutHeader() {
    if (!tableView_) return;
    const int left = tableView_->x() + tableView_->viewport()->x();
    auto place = [this, left](const char* name, int column) {
        QWidget* header = outlet(name);
        header->setGeometry(left + tableView_->columnViewportPosition(column), 0,
                            tableView_->columnWidth(column), header->parentWidget()->height());
    };
    place("nameHeader", SWDetailTableModel::NameColumn);
    place("sizeHeader", SWDetailTableModel::SizeColumn);
    place("dateHeader", SWDetailTableModel::DateColumn);
    place("selectButton", SWDetailTableModel::CheckBoxColumn);
}

QList<std::pair<SWDetailTableModel::SortOption, QWidget*>> SWDetailViewController::sortArrows()
    const {
    return {{SWDetailTableModel::SortByName, outlet("nameSortDirectionImageView")},
            {SWDetailTableModel::SortBySize, outlet("sizeSortDirectionImageView")}};
}

void SWDetailViewController::updateHeaderUI() {
    const QIcon arrow(QString::fromLatin1(model_->sortDirection() == SWDetailTableModel::Descending
                                              ? kSortDescendingImage
                                              : kSortAscendingImage));
    for (const auto& [option, view] : sortArrows()) {
        auto* image = static_cast<KPThemableImageView*>(view);
        const bool current = option == model_->sortOption();
        if (current) image->setImage(arrow);
        image->setVisible(current);
    }
}

void SWDetailViewController::didClickNameColumn() {
    model_->clickSortColumn(SWDetailTableModel::SortByName);
    updateHeaderUI();
}

void SWDetailViewController::didClickSizeColumn() {
    model_->clickSortColumn(SWDetailTableModel::SortBySize);
    updateHeaderUI();
}

void SWDetailViewController::didClickSelectButton() {
    if (selectionPopoverController_) return;
    selectionPopoverController_ = KPWindowController::controller<SWSelectionPopoverController>();
    selectionPopoverController_->setDelegate(this);
    QPointer<SWDetailViewController> weakSelf(this);
    selectionPopoverController_->setDidSelectBlock([weakSelf](bool deselect) {
        if (weakSelf) weakSelf->handleSelectionOption(deselect);
    });
    QWidget* button = outlet("selectButton");
    selectionPopoverController_->showRelativeToRect(button->rect(), button, kPopoverPreferredEdge);
}

void SWDetailViewController::handleSelectionOption(bool deselect) {
    model_->handleSelectionOption(deselect);
}

void SWDetailViewController::popoverDidClose(SWPopoverWindowController*) {
    selectionPopoverController_.reset();
}

void SWDetailViewController::postRefreshSidebar() {
    NotificationCenter::defaultCenter().postNotification(
        QString::fromLatin1(kRefreshSidebarNotification));
}

// Reveal and preview

int SWDetailViewController::clickedOrHoveredRow(int clickedRow) const {
    return clickedRow >= 0 ? clickedRow : tableView_->hoveredRow();
}

void SWDetailViewController::showInFinder(int clickedRow) {
    const SWResultRowPtr shown = row();
    if (shown && previewsOnReveal(shown->key())) {
        quickLook(clickedRow);
    } else {
        actuallyShowInFinder(clickedRow);
    }
}

void SWDetailViewController::actuallyShowInFinder(int clickedRow) {
    const QSScannedFilePtr file = model_->fileAtRow(clickedOrHoveredRow(clickedRow));
    const QString path = file ? file->path() : QString();
    if (path.isEmpty()) {
        SWDesktop::shared().beep();
        return;
    }
    SWDesktop::shared().revealFile(path);
}

void SWDetailViewController::quickLook(int clickedRow) {
    SWPreviewPanel* existing = SWPreviewPanel::existingPreviewPanel();
    if (existing && existing->isPanelVisible()) {
        existing->orderOut();
        return;
    }
    int index = clickedOrHoveredRow(clickedRow);
    if (index < 0) index = tableView_->currentIndex().row();
    const QSScannedFilePtr file = model_->fileAtRow(index);
    if (!file) return;
    if (file->path().isEmpty()) {
        SWDesktop::shared().beep();
        return;
    }
    tableView_->selectRow(index);
    tableView_->setFocus();
    SWPreviewPanel* panel = SWPreviewPanel::sharedPreviewPanel();
    panel->setController(this);
    panel->makeKeyAndOrderFront();
}

QSScannedFilePtr SWDetailViewController::previewItem() {
    const QModelIndexList selected = tableView_->selectionModel()->selectedRows();
    int index = selected.isEmpty() ? contextMenuRow_ : selected.first().row();
    if (!model_->fileAtRow(index)) index = tableView_->hoveredRow();
    const QSScannedFilePtr file = model_->fileAtRow(index);
    if (file && (selected.isEmpty() || selected.first().row() != index)) {
        tableView_->selectRow(index);
    }
    return file;
}

bool SWDetailViewController::previewPanelHandleKeyEvent(QKeyEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    // The panel asks for the entry again once the table has moved.
    QCoreApplication::sendEvent(tableView_, event);
    return true;
}

SWPreviewPanel* SWDetailViewController::controlledPreviewPanel() const {
    SWPreviewPanel* panel = SWPreviewPanel::existingPreviewPanel();
    const SWPreviewPanelController* self = this;
    return panel && panel->controller() == self ? panel : nullptr;
}

void SWDetailViewController::menuNeedsUpdate(int clickedRow) {
    const QSScannedFilePtr file = model_->fileAtRow(clickedRow);
    const bool enabled = file && !file->path().isEmpty();
    for (QAction* action : contextMenu_->actions())
        action->setEnabled(enabled);
}

void SWDetailViewController::tableViewDidHoverRow(SWDetailTableView*, int row, int lastHoveredRow) {
    const QSScannedFilePtr file = model_->fileAtRow(row);
    rowView_->setRevealedRow(file && !file->path().isEmpty() ? row : -1);
    for (int changed : {lastHoveredRow, row}) {
        const QModelIndex cell = model_->index(changed, SWDetailTableModel::NameColumn);
        if (cell.isValid()) tableView_->viewport()->update(tableView_->visualRect(cell));
    }
}

void SWDetailViewController::kp_setIsVisible(bool visible) {
    KPViewController::kp_setIsVisible(visible);
    if (visible) return;
    if (SWPreviewPanel* panel = controlledPreviewPanel(); panel && panel->isPanelVisible()) {
        panel->orderOut();
    }
}

// Space ticks the current entry, Return previews it: the keyboard reaches all that the
// pointer does.
bool SWDetailViewController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        if (watched == outlet("tooltipView")) updateTooltipUI();
        if (watched == tableView_ || watched == outlet("headerView")) layoutHeader();
    }
    if (watched == tableView_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int current = tableView_->currentIndex().row();
        if (key == Qt::Key_Space) {
            if (const QSScannedFilePtr file = model_->fileAtRow(current)) {
                model_->setFileSelected(current, !file->selected());
            }
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            quickLook(current);
            return true;
        }
    }
    return KPViewController::eventFilter(watched, event);
}

// The date variant

void SWAgingAppsDetailViewController::kp_viewDidLoad() {
    SWDetailViewController::kp_viewDidLoad();
    model().setSort(SWDetailTableModel::SortByDate, SWDetailTableModel::Ascending);
    updateHeaderUI();
    connect(static_cast<SWHoverView*>(outlet("dateHeader")), &SWHoverView::clicked, this, [this] {
        model().clickSortColumn(SWDetailTableModel::SortByDate);
        updateHeaderUI();
    });
}

QList<std::pair<SWDetailTableModel::SortOption, QWidget*>>
SWAgingAppsDetailViewController::sortArrows() const {
    auto arrows = SWDetailViewController::sortArrows();
    arrows.append({SWDetailTableModel::SortByDate, outlet("dateOrderImage")});
    return arrows;
}

// The login items

void SWLoginItemsDetailViewController::kp_viewDidLoad() {
    SWDetailViewController::kp_viewDidLoad();
    outlet("selectButton")->hide();
}
