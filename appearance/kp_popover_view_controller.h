#pragma once

#include <QParallelAnimationGroup>
#include <QPointer>
#include <QPropertyAnimation>

#include "appearance/kp_view.h"
#include "appearance/kp_view_controller.h"

// An in-window dialog: its view springs down from above the window's top edge to the
// centre of the window's content, over a dimming overlay that keeps the mouse from
// everything below, and springs back up when dismissed. A window smaller than the
// dialog grows around its horizontal centre (and stays grown).
class KPPopoverViewController : public KPViewController {
    Q_OBJECT
public:
    static constexpr char kOverlayColorKey[] = "popoverOverlayBackgroundColor";
    // The fade of the overlay; the spring sets the pace of the view.
    static constexpr int kFadeMilliseconds = 250;

    // The popover always animates; the flag is kept for callers that pass it.
    void showPopoverInWindow(QWidget* window, bool animated);
    void dismissPopoverAnimated(bool animated);

    KPNoInteractionView* popoverOverlayView() const { return popoverOverlayView_; }
    KPNoInteractionView* makeOverlayViewWithBounds(const QRect& bounds);
    // Centred horizontally on the parent, resting just above its top edge.
    QRect initialPopoverFrameForParentFrame(const QRectF& parent);
    // Centred in the parent.
    QRect finalPopoverFrameForParentFrame(const QRectF& parent);
    QPropertyAnimation* inAnimationWithDestinationFrame(const QRectF& frame);

    // The presentation running, if any (for whoever needs to follow it).
    QParallelAnimationGroup* animation() const { return animation_; }

public slots:
    void dismissPopover(QObject* sender = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPropertyAnimation* fade(qreal to);
    void finishDismissal();

    QPointer<KPNoInteractionView> popoverOverlayView_;
    QPointer<QParallelAnimationGroup> animation_;
};
