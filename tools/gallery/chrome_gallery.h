#pragma once

#include <memory>

#include "appearance/kp_navigation_controller.h"
#include "appearance/kp_popover_view_controller.h"
#include "appearance/kp_yosemite_window.h"
#include "appearance/sw_popover_window_controller.h"

// A window of the kit's chrome: a drawn header under the window buttons, a stack of
// two test screens, an in-window popover and an anchored popover.
class ChromeGallery : public PVThemableWindow {
    Q_OBJECT
public:
    ChromeGallery();

    KPNavigationController& navigation() { return navigation_; }
    KPPopoverViewController& popover() { return *popover_; }
    SWPopoverWindowController& anchoredPopover() { return *anchored_; }

    void push();
    void pop();
    void showPopover();
    void showAnchoredPopover();

private:
    KPNavigationController::Screen makeScreen(const QString& title, const QString& action,
                                              std::function<void()> onAction);

    KPNavigationController navigation_;
    QWidget* anchor_ = nullptr;
    std::shared_ptr<KPPopoverViewController> popover_;
    std::shared_ptr<SWPopoverWindowController> anchored_;
};
