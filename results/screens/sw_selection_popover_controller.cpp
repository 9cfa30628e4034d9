#include "results/screens/sw_selection_popover_controller.h"

#include "appearance/kp_yosemite_button.h"
#include "results/screens/sw_popover_support.h"
#include "ui_sw_selection_popover_controller.h"

KP_INTERFACE_DEFINITION(SWSelectionPopoverController);

void SWSelectionPopoverController::kp_viewDidLoad() {
    QWidget* content = window()->actualContentView();
    swPreparePopoverView(content);
    window()->resize(content->size());
}

KPYosemiteButton* SWSelectionPopoverController::selectAllButton() const {
    return swOutlet<KPYosemiteButton>(window()->actualContentView(), "selectAllButton");
}

KPYosemiteButton* SWSelectionPopoverController::deselectAllButton() const {
    return swOutlet<KPYosemiteButton>(window()->actualContentView(), "deselectAllButton");
}

void SWSelectionPopoverController::on_selectAllButton_clicked() {
    didClickButton(selectAllButton());
}

void SWSelectionPopoverController::on_deselectAllButton_clicked() {
    didClickButton(deselectAllButton());
}

void SWSelectionPopoverController::didClickButton(KPYosemiteButton* sender) {
    swCallOnce(didSelectBlock_, sender == deselectAllButton());
    close();
}
