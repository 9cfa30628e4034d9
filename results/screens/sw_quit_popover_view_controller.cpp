#include "results/screens/sw_quit_popover_view_controller.h"

#include <QLabel>

#include "appearance/tg_switch.h"
#include "base/sw_user_defaults.h"
#include "results/screens/sw_popover_support.h"
#include "ui_sw_quit_popover_view_controller.h"

KP_INTERFACE_DEFINITION(SWQuitPopoverViewController);
KP_SCREEN(SWQuitPopoverViewController);

namespace {

// The application's settings file, the one the typed settings are kept in: this one
// setting is a plain key there.
QSettings& applicationSettings() {
    return SWUserDefaults::standardUserDefaults().userDefaults();
}

}  // namespace

bool SWQuitPopoverViewController::suppressQuitAlert() {
    return applicationSettings().value(QLatin1String(kSuppressQuitAlertKey), false).toBool();
}

void SWQuitPopoverViewController::setSuppressQuitAlert(bool suppress) {
    QSettings& settings = applicationSettings();
    settings.setValue(QLatin1String(kSuppressQuitAlertKey), suppress);
    settings.sync();
}

void SWQuitPopoverViewController::kp_viewDidLoad() {
    swPreparePopoverView(view());
    message_ = messageLabel()->text();
}

QWidget* SWQuitPopoverViewController::overlayView() {
    return swOutlet(view(), "overlayView");
}

TGSwitch* SWQuitPopoverViewController::switchView() {
    return swOutlet<TGSwitch>(view(), "switchView");
}

QLabel* SWQuitPopoverViewController::messageLabel() {
    return swOutlet<QLabel>(view(), "messageLabel");
}

void SWQuitPopoverViewController::setRemovalInProgress(bool inProgress) {
    removalInProgress_ = inProgress;
    messageLabel()->setText(inProgress ? QString::fromLatin1(kRemovalInProgressMessage) : message_);
    swFitPopoverHeight(view());
    if (!inProgress && std::exchange(waitingForRemoval_, false)) quit();
}

void SWQuitPopoverViewController::on_quitButton_clicked() {
    if (std::exchange(closing_, true)) return;
    setSuppressQuitAlert(switchView()->checked());
    if (removalInProgress_) {
        waitingForRemoval_ = true;
        view()->setEnabled(false);
        return;
    }
    quit();
}

void SWQuitPopoverViewController::on_closeButton_clicked() {
    if (std::exchange(closing_, true)) return;
    dismissPopover();
    swCallOnce(didCloseBlock_, false);
}

void SWQuitPopoverViewController::quit() {
    dismissPopover();
    swCallOnce(didCloseBlock_, true);
}
