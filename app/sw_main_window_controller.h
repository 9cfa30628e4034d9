#pragma once

#include <QPointer>
#include <functional>
#include <memory>

#include "appearance/kp_navigation_controller.h"
#include "appearance/kp_window_controller.h"

class QMenu;
class SWQuitPopoverViewController;
class SWResultsViewController;

// The one main window: the stack of screens with the results screen at its root, made
// the first time the window is shown; the close button asks before quitting.
class SWMainWindowController : public KPWindowController {
    Q_OBJECT
public:
    static constexpr char kSuppressQuitAlertKey[] = "SuppressQuitAlert";

    ~SWMainWindowController() override;

    KPNavigationController& navigationController() { return navigationController_; }
    std::shared_ptr<SWResultsViewController> resultsViewController() const;
    std::shared_ptr<SWQuitPopoverViewController> quitPopoverViewController() const {
        return quitPopoverViewController_;
    }
    // The menu of the header's menu button (filled by the application).
    QMenu* mainMenu() const { return mainMenu_; }

    void actuallyShowWindow(bool sender);
    void actuallyHideWindow(bool sender);
    // The close button: quits, or asks first. Answers whether the window may close.
    bool windowShouldClose();

    // Ends the application (swTerminateApplication), once a removal that runs has finished.
    void quitWhenRemovalEnds();
    // Told by the results screen as a removal starts and ends.
    void removalStateChanged(bool removing);

protected:
    void kp_viewDidLoad() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class KPWindowController;
    SWMainWindowController() = default;

    void configureWindow();

    KPNavigationController navigationController_;
    std::shared_ptr<SWQuitPopoverViewController> quitPopoverViewController_;
    QMenu* mainMenu_ = nullptr;
    bool removing_ = false;
    bool quitPending_ = false;
};
