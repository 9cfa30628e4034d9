#pragma once

#include <functional>

#include "appearance/sw_popover_window_controller.h"

class KPYosemiteButton;

// The small menu under the detail screen's selection button: tick every file, or none.
class SWSelectionPopoverController : public SWPopoverWindowController {
    Q_OBJECT
public:
    // Called once, with true for "none".
    using DidSelectBlock = std::function<void(bool deselect)>;

    const DidSelectBlock& didSelectBlock() const { return didSelectBlock_; }
    void setDidSelectBlock(DidSelectBlock block) { didSelectBlock_ = std::move(block); }

    KPYosemiteButton* selectAllButton() const;
    KPYosemiteButton* deselectAllButton() const;

public slots:
    void on_selectAllButton_clicked();
    void on_deselectAllButton_clicked();

protected:
    SWSelectionPopoverController() = default;
    void kp_viewDidLoad() override;

private:
    friend class KPWindowController;
    void didClickButton(KPYosemiteButton* sender);

    DidSelectBlock didSelectBlock_;
};
