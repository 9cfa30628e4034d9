#pragma once

#include <functional>

#include "appearance/kp_popover_view_controller.h"

class QLabel;
class TGSwitch;

// Asks before the program quits, when the main window is closed, and can be told not to
// ask again.
//
// While files are being removed, quitting would leave the removal half done. The opener
// tells the popover with setRemovalInProgress(true) (at its opening, and again whenever
// the state changes); the popover then says that the program quits once the removal is
// done, and a click on Quit only waits: the buttons stop answering, and the popover
// closes and calls the block with true after setRemovalInProgress(false). The block
// stays as simple as without a removal: called with true, it ends the program at once.
class SWQuitPopoverViewController : public KPPopoverViewController {
    Q_OBJECT
public:
    // A plain boolean of the application's settings file, beside the typed settings.
    static constexpr char kSuppressQuitAlertKey[] = "SuppressQuitAlert";
    static constexpr char kRemovalInProgressMessage[] =
        "Sweepwell quits when the files being removed are done.";

    using DidCloseBlock = std::function<void(bool quit)>;

    // Whether closing the main window quits without asking.
    static bool suppressQuitAlert();
    // Stored and written out at once.
    static void setSuppressQuitAlert(bool suppress);

    const DidCloseBlock& didCloseBlock() const { return didCloseBlock_; }
    void setDidCloseBlock(DidCloseBlock block) { didCloseBlock_ = std::move(block); }

    bool removalInProgress() const { return removalInProgress_; }
    void setRemovalInProgress(bool inProgress);
    // Quit was clicked and waits for the removal to end.
    bool waitingForRemoval() const { return waitingForRemoval_; }

    QWidget* overlayView();
    TGSwitch* switchView();
    QLabel* messageLabel();

public slots:
    void on_quitButton_clicked();
    void on_closeButton_clicked();

protected:
    void kp_viewDidLoad() override;

private:
    void quit();

    DidCloseBlock didCloseBlock_;
    QString message_;
    bool removalInProgress_ = false;
    bool waitingForRemoval_ = false;
    bool closing_ = false;
};
