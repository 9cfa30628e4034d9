#include "results/screens/sw_error_view_controller.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>

#include "appearance/kp_navigation_controller.h"
#include "appearance/kp_table_view.h"
#include "appearance/kp_text_field.h"
#include "appearance/kp_view.h"
#include "appearance/kp_yosemite_button.h"
#include "base/dispatch.h"
#include "base/notification_center.h"
#include "platform/file_manager.h"
#include "platform/privileged_removal.h"
#include "results/screens/sw_desktop.h"
#include "results/screens/sw_error_row_view.h"
#include "results/screens/sw_file_table.h"
#include "ui_sw_error_view_controller.h"

KP_INTERFACE_DEFINITION(SWErrorViewController);
KP_SCREEN(SWErrorViewController);

namespace {

constexpr int kImageColumnWidth = 52;
constexpr int kButtonColumnWidth = 140;

bool nothingAt(const QString& path) {
    return platform::itemKind(path) == platform::ItemKind::Missing;
}

// What the administrator's helper is given must still be what the scan found there: a
// path whose item was replaced since is never handed to a program running as root.
bool stillTheScannedItem(const QSRemovedFile& record) {
    const QSScannedFilePtr& file = record.file();
    if (!file) return false;
    const platform::FileIdentity scanned = file->identity();
    const auto now = platform::identityOfItem(file->path());
    return scanned.isValid() && now && scanned.stillDescribes(*now);
}

bool helperIsReady() {
    const auto& helper = LNUNSanboxHelper::sharedHelper();
    return helper.isAvailable() && helper.isInstalled();
}

}  // namespace

std::shared_ptr<SWErrorViewController> SWErrorViewController::controllerWithResults(
    const QList<QSRemovedItemPtr>& removedItems) {
    auto controller = KPViewController::controller<SWErrorViewController>();
    QList<QSRemovedFilePtr> failed;
    for (const QSRemovedItemPtr& item : removedItems) {
        failed += item->failedFiles();
        for (const QSRemovedFilePtr& record : item->files().value_or(QList<QSRemovedFilePtr>())) {
            if (record->success()) controller->successArray_.append(record);
        }
    }
    controller->model_->setResultsArray(failed);
    for (const QSRemovedFilePtr& record : failed)
        record->startListening();
    return controller;
}

SWErrorViewController::~SWErrorViewController() {
    stopWatching();
}

QWidget* SWErrorViewController::outlet(const char* name) const {
    auto* found =
        const_cast<SWErrorViewController*>(this)->view()->findChild<QWidget*>(QLatin1String(name));
    Q_ASSERT_X(found, "outlet", name);
    return found;
}

void SWErrorViewController::kp_viewDidLoad() {
    model_ = new SWErrorTableModel(this);
    for (const char* name : {"headerView", "bottomBar"}) {
        static_cast<KPThemableView*>(outlet(name))
            ->setBackgroundColorKey(QStringLiteral("windowColor"));
    }
    auto* title = static_cast<KPThemableTextField*>(outlet("titleLabel"));
    title->setFontKey(QStringLiteral("textFont"));
    title->setTextColorKey(QStringLiteral("textColor"));
    title->setText(QString::fromLatin1(kTitleText));
    nextButton_ = static_cast<KPYosemiteButton*>(outlet("nextButton"));
    nextButton_->setCell(std::make_unique<KPBlueYosemiteButtonCell>());
    nextButton_->setAccessibleName(nextButton_->text());
    auto* deleteAllButton = static_cast<KPYosemiteButton*>(outlet("deleteAllButton"));
    deleteAllButton->setCell(std::make_unique<KPNormalYosemiteButton>());
    deleteAllButton->setAccessibleName(deleteAllButton->text());
    configureTable();
    configureContextMenu();
    connect(&NotificationCenter::defaultCenter(), &NotificationCenter::notificationPosted, this,
            [this](const QString& name, const void* object) {
                if (name == kQSFileMovedNotification) fileDidMove(object);
            });
}

void SWErrorViewController::configureTable() {
    tableView_ = static_cast<KPThemableTableView*>(outlet("tableView"));
    tableView_->setModel(model_);
    rowView_ = new SWErrorRowView(tableView_);
    tableView_->setItemDelegate(rowView_);
    tableView_->setBackgroundColorKey(QStringLiteral("windowColor"));
    swConfigureFileTable(tableView_, SWErrorRowView::kRowHeight, SWErrorTableModel::NameColumn);
    QHeaderView* columns = tableView_->horizontalHeader();
    columns->resizeSection(SWErrorTableModel::ImageColumn, kImageColumnWidth);
    columns->resizeSection(SWErrorTableModel::ButtonColumn, kButtonColumnWidth);
    tableView_->installEventFilter(this);
    connect(rowView_, &SWErrorRowView::buttonClicked, this,
            &SWErrorViewController::showInFinderFromButton);
}

void SWErrorViewController::configureContextMenu() {
    contextMenu_ = new QMenu(tableView_);
    contextMenu_->addAction(QString::fromLatin1(kShowInFolderMenuTitle), this,
                            [this] { showInFinder(contextMenuRow_); });
    tableView_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tableView_, &QWidget::customContextMenuRequested, this, [this](const QPoint& point) {
        contextMenuRow_ = tableView_->rowAt(point.y());
        for (QAction* action : contextMenu_->actions())
            action->setEnabled(validateMenuItem(contextMenuRow_));
        contextMenu_->popup(tableView_->viewport()->mapToGlobal(point));
    });
}

// The buttons

void SWErrorViewController::on_nextButton_clicked() {
    finish();
}

void SWErrorViewController::on_deleteAllButton_clicked() {
    deleteAll();
}

void SWErrorViewController::showInFinderFromButton(int row) {
    const QSRemovedFilePtr record = model_->recordAtRow(row);
    if (!record || !record->file()) return;
    if (SWErrorTableModel::fileHasPermissionsIssues(*record) && helperIsReady()) {
        removeApplicationUsingSandboxHelper(record);
        return;
    }
    SWDesktop::shared().revealFile(record->file()->path());
}

void SWErrorViewController::removeApplicationUsingSandboxHelper(const QSRemovedFilePtr& record) {
    const auto failed = [](SWErrorViewController* self) {
        self->showAlert(QString::fromLatin1(kCouldNotRemoveFileMessage),
                        QString::fromLatin1(kCouldNotRemoveFileInformation));
    };
    if (!stillTheScannedItem(*record)) {
        failed(this);
        return;
    }
    QPointer<SWErrorViewController> weakSelf(this);
    LNUNSanboxHelper::sharedHelper().removeFileAtPath(
        record->file()->path(), [weakSelf, record, failed](bool removed) {
            if (!weakSelf) return;
            if (removed) {
                weakSelf->removeFileFromErrorArray(record);
            } else {
                failed(weakSelf.data());
            }
        });
}

// The helper answers for all paths at once; a file it did remove leaves the list even when
// another one stayed, so that the list never shows a file that is gone.
void SWErrorViewController::deleteAll() {
    QList<QSRemovedFilePtr> blocked;
    for (const QSRemovedFilePtr& record : model_->resultsArray()) {
        if (SWErrorTableModel::fileHasPermissionsIssues(*record)) blocked << record;
    }
    if (blocked.isEmpty()) {
        showAlert(QString::fromLatin1(kNoFilesAvailableMessage), QString());
        return;
    }
    if (!helperIsReady()) {
        showAlert(QString::fromLatin1(kHelperMissingMessage),
                  QString::fromLatin1(kHelperMissingInformation));
        return;
    }
    QList<QSRemovedFilePtr> sent;
    QStringList paths;
    for (const QSRemovedFilePtr& record : blocked) {
        if (!stillTheScannedItem(*record)) continue;
        sent << record;
        paths << record->file()->path();
    }
    const bool refusedSome = sent.size() != blocked.size();
    const auto failed = [](SWErrorViewController* self) {
        self->showAlert(QString::fromLatin1(kCouldNotRemoveFilesMessage),
                        QString::fromLatin1(kCouldNotRemoveFilesInformation));
    };
    if (sent.isEmpty()) {
        failed(this);
        return;
    }
    QPointer<SWErrorViewController> weakSelf(this);
    LNUNSanboxHelper::sharedHelper().removeFiles(
        paths, [weakSelf, sent, refusedSome, failed](bool removed) {
            if (!weakSelf) return;
            QList<QSRemovedFilePtr> gone;
            for (const QSRemovedFilePtr& record : sent) {
                if (removed || nothingAt(record->file()->path())) gone << record;
            }
            weakSelf->removeFilesFromErrorArray(gone);
            if (weakSelf && (!removed || refusedSome)) failed(weakSelf.data());
        });
}

// The context menu

bool SWErrorViewController::validateMenuItem(int clickedRow) const {
    const QSRemovedFilePtr record = model_->recordAtRow(clickedRow);
    return record && record->error().has_value();
}

void SWErrorViewController::showInFinder(int clickedRow) {
    const QSRemovedFilePtr record = model_->recordAtRow(clickedRow);
    if (!record || !record->file()) return;
    const QString path = record->file()->path();
    if (nothingAt(path)) {
        SWDesktop::shared().beep();
        return;
    }
    SWDesktop::shared().revealFile(path);
}

// Watching

// A file moved into a trash is resolved; one moved elsewhere keeps its row and is watched
// at its new place, so that a later move into the trash is still seen.
void SWErrorViewController::fileDidMove(const void* object) {
    const QSRemovedFilePtr record = model_->listedRecord(object);
    if (!record || finished_) return;
    model_->recordDidChange(record);
    const bool trashed = SWErrorTableModel::isInUsersTrash(record->file()->path());
    QPointer<SWErrorViewController> weakSelf(this);
    dispatch::dispatchMain([weakSelf, record, trashed] {
        if (!weakSelf || weakSelf->finished_) return;
        if (trashed) {
            weakSelf->removeFileFromErrorArray(record);
        } else if (weakSelf->model_->listedRecord(record.get())) {
            record->startListening();
        }
    });
}

void SWErrorViewController::stopWatching() {
    if (!model_) return;
    for (const QSRemovedFilePtr& record : model_->resultsArray())
        record->stopListening();
}

// Resolving

void SWErrorViewController::removeFileFromErrorArray(const QSRemovedFilePtr& record) {
    removeFilesFromErrorArray({record});
}

void SWErrorViewController::removeFilesFromErrorArray(const QList<QSRemovedFilePtr>& records) {
    bool resolved = false;
    for (const QSRemovedFilePtr& record : records) {
        if (!model_->removeRecord(record)) continue;
        record->stopListening();
        successArray_.append(std::make_shared<QSRemovedFile>(record->file(), true, std::nullopt));
        resolved = true;
    }
    if (resolved) didResolveFiles();
}

void SWErrorViewController::didResolveFiles() {
    nextButton_->setText(QString::fromLatin1(kFinishTitle));
    nextButton_->setAccessibleName(nextButton_->text());
    if (model_->resultsArray().isEmpty()) finish();
}

// Finishing

void SWErrorViewController::finish() {
    if (finished_) return;
    finished_ = true;
    stopWatching();
    if (KPNavigationController* navigation = navigationController())
        navigation->pushToRootViewControllerAnimated(true);
    dispatch::dispatchAfter(kFinishDelaySeconds,
                            [block = didFinishBlock_, success = successArray_] {
                                if (block) block(success);
                            });
}

void SWErrorViewController::showAlert(const QString& message, const QString& information) {
    auto* alert = new QMessageBox(QMessageBox::Warning, QStringLiteral("Sweepwell"), message,
                                  QMessageBox::Ok, parentWindow());
    alert->setInformativeText(information);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->open();
}

// Return or Space on a row presses its button, as the pointer would.
bool SWErrorViewController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tableView_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            showInFinderFromButton(tableView_->currentIndex().row());
            return true;
        }
    }
    return KPViewController::eventFilter(watched, event);
}
