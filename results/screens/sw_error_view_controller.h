#pragma once

#include <functional>

#include "appearance/kp_view_controller.h"
#include "engine/scan_model.h"
#include "results/sw_error_table_model.h"

class KPThemableTableView;
class KPYosemiteButton;
class QMenu;
class SWErrorRowView;

// What a removal left behind, shown over the results screen: every file that is still
// there with the reason, and per file a button that removes it with administrator rights
// (when the user's own rights were refused) or shows it in the file manager. Files the
// user throws into a trash meanwhile leave the list by themselves. When the list is empty,
// or the user finishes, the screen returns to the results screen and hands over what was
// removed, so that the completion can be shown.
class SWErrorViewController : public KPViewController {
    Q_OBJECT
public:
    static constexpr char kTitleText[] =
        "The following files could not be deleted automatically. Use the 'Show in Folder' "
        "button below to manually remove them:";
    static constexpr char kFinishTitle[] = "Finish";
    static constexpr char kShowInFolderMenuTitle[] = "Show in Folder";
    static constexpr char kCouldNotRemoveFileMessage[] = "Could not remove this file";
    static constexpr char kCouldNotRemoveFileInformation[] =
        "Sweepwell could not remove this file. \n\nPlease try again.";
    static constexpr char kCouldNotRemoveFilesMessage[] = "Could not remove one or more files";
    static constexpr char kCouldNotRemoveFilesInformation[] =
        "Sweepwell could not remove some of these files. \n\nPlease try again.";
    static constexpr char kNoFilesAvailableMessage[] = "No files available for removal.";
    static constexpr char kHelperMissingMessage[] =
        "Removing files as administrator is not available on this system.";
    static constexpr char kHelperMissingInformation[] =
        "Use the 'Show in Folder' button of each file to remove it yourself.";
    static constexpr double kFinishDelaySeconds = 0.3;

    // Called once, kFinishDelaySeconds after the screen went back to the root of its
    // navigation stack, with every record that counts as removed.
    using FinishBlock = std::function<void(const QList<QSRemovedFilePtr>& successArray)>;

    // The screen for one removal: its failed files listed and watched, its removed files
    // counted.
    static std::shared_ptr<SWErrorViewController> controllerWithResults(
        const QList<QSRemovedItemPtr>& removedItems);
    ~SWErrorViewController() override;

    const QList<QSRemovedFilePtr>& resultsArray() const { return model_->resultsArray(); }
    const QList<QSRemovedFilePtr>& successArray() const { return successArray_; }
    SWErrorTableModel& model() const { return *model_; }
    KPThemableTableView* tableView() const { return tableView_; }
    QMenu* contextMenu() const { return contextMenu_; }
    bool isFinished() const { return finished_; }
    void setDidFinishBlock(FinishBlock block) { didFinishBlock_ = std::move(block); }

    // The row's button: removes the file as administrator when its own rights were
    // refused and the helper is there, else shows it in the file manager.
    void showInFinderFromButton(int row);
    // Removes every file whose own rights were refused, as administrator, at once.
    void deleteAll();
    // The context menu's item, for the row it was opened on.
    void showInFinder(int clickedRow);
    bool validateMenuItem(int clickedRow) const;
    void removeFileFromErrorArray(const QSRemovedFilePtr& record);
    void removeFilesFromErrorArray(const QList<QSRemovedFilePtr>& records);
    // Safe to call more than once (the last file resolved and a click can both finish).
    void finish();

public slots:
    void on_deleteAllButton_clicked();
    void on_nextButton_clicked();

protected:
    void kp_viewDidLoad() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class KPViewController;
    SWErrorViewController() = default;

    void configureTable();
    void configureContextMenu();
    void fileDidMove(const void* object);
    void removeApplicationUsingSandboxHelper(const QSRemovedFilePtr& record);
    void didResolveFiles();
    void stopWatching();
    void showAlert(const QString& message, const QString& information);
    QWidget* outlet(const char* name) const;

    SWErrorTableModel* model_ = nullptr;
    KPThemableTableView* tableView_ = nullptr;
    SWErrorRowView* rowView_ = nullptr;
    KPYosemiteButton* nextButton_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    int contextMenuRow_ = -1;
    QList<QSRemovedFilePtr> successArray_;
    FinishBlock didFinishBlock_;
    bool finished_ = false;
};
