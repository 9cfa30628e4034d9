#include "app/sw_main_window_controller.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenu>

#include "appearance/kp_view.h"
#include "appearance/kp_yosemite_button.h"
#include "appearance/kp_yosemite_window.h"
#include "results/screens/sw_popover_support.h"
#include "results/screens/sw_quit_popover_view_controller.h"
#include "results/screens/sw_results_view_controller.h"
#include "ui_sw_main_window_controller.h"

KP_INTERFACE_DEFINITION(SWMainWindowController);

SWMainWindowController::~SWMainWindowController() = default;

void SWMainWindowController::kp_viewDidLoad() {
    KPWindowController::kp_viewDidLoad();
    configureWindow();
    window()->installEventFilter(this);
}

void SWMainWindowController::configureWindow() {
    QWidget* content = window()->actualContentView();
    auto* header = content->findChild<KPThemableView*>(QStringLiteral("headerView"));
    header->setBackgroundColorKey(QStringLiteral("windowHeaderColor"));
    auto* menuButton = content->findChild<KPYosemiteButton*>(QStringLiteral("menuButton"));
    menuButton->setCell(std::make_unique<KPNormalYosemiteButton>());
    mainMenu_ = new QMenu(menuButton);
    mainMenu_->setAccessibleName(QStringLiteral("Main Menu"));
    connect(menuButton, &QAbstractButton::clicked, this, [this, menuButton] {
        mainMenu_->popup(menuButton->mapToGlobal(QPoint(0, menuButton->height())));
    });
    navigationController_.setView(content->findChild<QWidget*>(QStringLiteral("navigationView")));
    navigationController_.setWindowController(this);
}

std::shared_ptr<SWResultsViewController> SWMainWindowController::resultsViewController() const {
    return std::dynamic_pointer_cast<SWResultsViewController>(
        navigationController_.rootViewController());
}

void SWMainWindowController::actuallyShowWindow(bool) {
    if (!navigationController_.currentViewController()) {
        auto results = KPViewController::controller<SWResultsViewController>();
        results->setRemovalStateBlock([this](bool removing) { removalStateChanged(removing); });
        navigationController_.setViewControllers({results});
    }
    window()->show();
    window()->raise();
    window()->activateWindow();
}

void SWMainWindowController::actuallyHideWindow(bool) {
    window()->hide();
}

bool SWMainWindowController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window() && event->type() == QEvent::Close) {
        if (!windowShouldClose()) event->ignore();
        return !event->isAccepted();
    }
    return KPWindowController::eventFilter(watched, event);
}

bool SWMainWindowController::windowShouldClose() {
    // While files are being removed the question is asked anyway: it says that the
    // program ends when they are done.
    if (SWQuitPopoverViewController::suppressQuitAlert() && !removing_) {
        swTerminateApplication();
        return true;
    }
    // The close button again while the question is up changes nothing.
    if (quitPopoverViewController_ && quitPopoverViewController_->view()->isVisible()) return false;
    quitPopoverViewController_ = KPViewController::controller<SWQuitPopoverViewController>();
    quitPopoverViewController_->setRemovalInProgress(removing_);
    QPointer<SWMainWindowController> weakSelf(this);
    quitPopoverViewController_->setDidCloseBlock([weakSelf](bool quit) {
        if (weakSelf && quit) weakSelf->quitWhenRemovalEnds();
    });
    quitPopoverViewController_->showPopoverInWindow(window(), true);
    return false;
}

// A removal is never cut off: the application ends once the files in hand are done.
void SWMainWindowController::quitWhenRemovalEnds() {
    if (!removing_) {
        swTerminateApplication();
        return;
    }
    quitPending_ = true;
}

void SWMainWindowController::removalStateChanged(bool removing) {
    removing_ = removing;
    if (quitPopoverViewController_) quitPopoverViewController_->setRemovalInProgress(removing);
    if (!removing && quitPending_) swTerminateApplication();
}
