#pragma once

#include <QList>
#include <QPointer>
#include <functional>

#include "appearance/kp_popover_view_controller.h"
#include "engine/scan_model.h"
#include "results/sw_result_row.h"

class QAbstractAnimation;
class PVThemableSpinningProgressIndicator;

// Asks before removing the ticked files, which do not go to a trash, and points to advice
// on backups. On confirmation it shows a spinner, removes the selection of the rows that
// are switched on and closes once the removal has ended; there is no way back from there.
class SWTimeMachinePopoverViewController : public KPPopoverViewController {
    Q_OBJECT
public:
    // The cross-fade from the explanation to the spinner.
    static constexpr int kTransitionMilliseconds = 100;

    // Called once: with cancelled true and nothing removed, or with what the removal did.
    using DidCloseBlock =
        std::function<void(bool cancelled, const QList<QSRemovedItemPtr>& removedItems)>;

    // All the rows of the results screen; only those switched on are removed.
    const QList<SWResultRowPtr>& resultsArray() const { return resultsArray_; }
    void setResultsArray(const QList<SWResultRowPtr>& rows) { resultsArray_ = rows; }
    const DidCloseBlock& didCloseBlock() const { return didCloseBlock_; }
    void setDidCloseBlock(DidCloseBlock block) { didCloseBlock_ = std::move(block); }

    // Whether the confirmation was given and the removal has not reported back yet.
    bool isRemoving() const { return removing_; }

    QWidget* overlayView();
    QWidget* containerView();
    QWidget* contentView();
    QWidget* progressContainerView();
    PVThemableSpinningProgressIndicator* progressIndicator();
    // The cross-fade while it plays.
    QAbstractAnimation* containerTransition() const { return transition_; }

signals:
    // The confirmed removal started (true) or reported back (false).
    void removingChanged(bool removing);

public slots:
    // The confirmation.
    void on_cleanButton_clicked();
    void on_cancelButton_clicked();
    // Advice on backups, in the browser.
    void on_learnButton_clicked();

protected:
    void awakeFromNib() override;

private:
    void showProgress();
    void actuallyPerformClean();

    QList<SWResultRowPtr> resultsArray_;
    DidCloseBlock didCloseBlock_;
    QPointer<QAbstractAnimation> transition_;
    bool closing_ = false;
    bool removing_ = false;
};
