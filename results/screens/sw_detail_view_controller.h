#pragma once

#include <QPointer>

#include "appearance/kp_view_controller.h"
#include "appearance/sw_popover_window_controller.h"
#include "results/screens/sw_detail_table_view.h"
#include "results/screens/sw_preview_panel.h"
#include "results/sw_detail_table_model.h"
#include "results/sw_result_row.h"

class QMenu;
class QStackedWidget;
class SWDetailRowView;
class SWHoverView;
class SWSelectionPopoverController;

// The detail pane of one category: its explanation, then its entries in a table the user
// sorts by the column headers, ticks one by one or all at once, reveals in the file manager
// and previews. One screen per category and scan: the row is the one of the scan it was
// made for, and a new scan makes new screens.
class SWDetailViewController : public KPViewController,
                               public SWDetailTableViewHoverDelegate,
                               public SWPreviewPanelController,
                               public SWPopoverDelegate {
    Q_OBJECT
public:
    // Posted when a tick changed what the category's row, the totals and the remove
    // button show.
    static constexpr char kRefreshSidebarNotification[] = "RefreshSidebar";
    static constexpr char kShowInFolderTitle[] = "Show in Folder";
    static constexpr char kPreviewTitle[] = "Quick Look";
    static constexpr char kSortAscendingImage[] = ":/results/icon-sort-asc.svg";
    static constexpr char kSortDescendingImage[] = ":/results/icon-sort-desc.svg";
    // The explanation is laid out this much narrower than its strip.
    static constexpr int kTooltipHorizontalInset = 42;

    // The screen for the row's category: the date variant for unused applications and
    // screenshots, switches for the login items, else this class.
    static std::shared_ptr<SWDetailViewController> controllerWithRow(const SWResultRowPtr& row);
    ~SWDetailViewController() override;

    SWResultRowPtr row() const { return model_->row(); }
    void setRow(const SWResultRowPtr& row);
    bool isScanning() const { return model_->isScanning(); }
    SWDetailTableModel& model() const { return *model_; }
    SWDetailTableView* tableView() const { return tableView_; }
    const QString& tooltipText() const { return tooltipText_; }
    // Which of the loading, empty and details views fills the content.
    QWidget* currentView() const;
    std::shared_ptr<SWSelectionPopoverController> selectionPopoverController() const {
        return selectionPopoverController_;
    }
    QMenu* contextMenu() const { return contextMenu_; }

    // The table again, in the current order.
    void reloadData();
    void didClickNameColumn();
    void didClickSizeColumn();
    void didClickSelectButton();
    void handleSelectionOption(bool deselect);
    // The reveal button of a row: previews the file for the categories of files a person
    // looks at before removing, else shows it in the file manager.
    virtual void showInFinder(int clickedRow);
    void actuallyShowInFinder(int clickedRow);
    // Opens the preview of the clicked, hovered or selected row, or closes an open one.
    void quickLook(int clickedRow = -1);
    // Enables the context menu's items for the row it was opened on.
    void menuNeedsUpdate(int clickedRow);

    void tableViewDidHoverRow(SWDetailTableView* tableView, int row, int lastHoveredRow) override;
    QSScannedFilePtr previewItem() override;
    bool previewPanelHandleKeyEvent(QKeyEvent* event) override;
    void popoverDidClose(SWPopoverWindowController* popover) override;
    void kp_setIsVisible(bool visible) override;

protected:
    SWDetailViewController() = default;
    void kp_viewDidLoad() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The column headers whose arrows show the sort, by option.
    virtual QList<std::pair<SWDetailTableModel::SortOption, QWidget*>> sortArrows() const;
    void updateHeaderUI();
    QWidget* outlet(const char* name) const;

private:
    friend class KPViewController;
    virtual SWDetailTableModel::Variant variant() const {
        return SWDetailTableModel::Variant::Standard;
    }
    void configureTable();
    void configureHeader();
    void configureContextMenu();
    void scheduleUpdateUI();
    void updateUI();
    void updateTooltipUI();
    void layoutHeader();
    void setCurrentView(QWidget* view);
    int clickedOrHoveredRow(int clickedRow) const;
    void postRefreshSidebar();
    SWPreviewPanel* controlledPreviewPanel() const;

    SWDetailTableModel* model_ = nullptr;
    SWDetailTableView* tableView_ = nullptr;
    SWDetailRowView* rowView_ = nullptr;
    QStackedWidget* contentContainerView_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    int contextMenuRow_ = -1;
    QString tooltipText_;
    bool updateScheduled_ = false;
    std::shared_ptr<SWSelectionPopoverController> selectionPopoverController_;
};

// The date variant, for unused applications and screenshots: a date column, oldest first.
class SWAgingAppsDetailViewController : public SWDetailViewController {
    Q_OBJECT

protected:
    void kp_viewDidLoad() override;
    QList<std::pair<SWDetailTableModel::SortOption, QWidget*>> sortArrows() const override;

private:
    friend class KPViewController;
    SWAgingAppsDetailViewController() = default;
    SWDetailTableModel::Variant variant() const override {
        return SWDetailTableModel::Variant::Dates;
    }
};

// The login items: each entry's switch turns the item on or off at once. There is no
// selection button: a user's start-up programs are never switched all at once.
class SWLoginItemsDetailViewController : public SWDetailViewController {
    Q_OBJECT

protected:
    void kp_viewDidLoad() override;

private:
    friend class KPViewController;
    SWLoginItemsDetailViewController() = default;
    SWDetailTableModel::Variant variant() const override {
        return SWDetailTableModel::Variant::LoginItems;
    }
};
