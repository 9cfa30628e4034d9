#include "appearance/kp_popover_view_controller.h"

#include <QEvent>
#include <QGraphicsOpacityEffect>

#include "appearance/kp_spring_animation.h"
#include "appearance/kp_window_controller.h"
#include "appearance/kp_window_geometry.h"
#include "appearance/kp_yosemite_window.h"

KPNoInteractionView* KPPopoverViewController::makeOverlayViewWithBounds(const QRect& bounds) {
    auto* overlay = new KPNoInteractionView;
    overlay->setGeometry(bounds);
    overlay->setGraphicsEffect(new QGraphicsOpacityEffect(overlay));
    static_cast<QGraphicsOpacityEffect*>(overlay->graphicsEffect())->setOpacity(0);
    // Hover goes to the overlay rather than to the controls it covers.
    overlay->setMouseTracking(true);
    overlay->setAttribute(Qt::WA_Hover);
    overlay->setBackgroundColorKey(QString::fromLatin1(kOverlayColorKey));
    return overlay;
}

QRect KPPopoverViewController::initialPopoverFrameForParentFrame(const QRectF& parent) {
    const QSizeF size = view()->size();
    return kpIntegralRect(QRectF(
        QPointF(parent.center().x() - size.width() / 2, parent.top() - size.height()), size));
}

QRect KPPopoverViewController::finalPopoverFrameForParentFrame(const QRectF& parent) {
    const QSizeF size = view()->size();
    return kpIntegralRect(QRectF(parent.center() - QPointF(size.width(), size.height()) / 2, size));
}

QPropertyAnimation* KPPopoverViewController::inAnimationWithDestinationFrame(const QRectF& frame) {
    return kpSpringAnimation(view(), frame);
}

QPropertyAnimation* KPPopoverViewController::fade(qreal to) {
    auto* animation = new QPropertyAnimation(popoverOverlayView_->graphicsEffect(), "opacity");
    animation->setDuration(kFadeMilliseconds);
    animation->setEndValue(to);
    return animation;
}

void KPPopoverViewController::showPopoverInWindow(QWidget* window, bool) {
    QWidget* parent = kp_contentView(window);
    const QRect bounds = parent->rect();
    const QSize size = view()->size();
    const bool grow = size.width() > bounds.width() || size.height() > bounds.height();
    const QRect frame(bounds.topLeft(), size.expandedTo(bounds.size()));
    setParentWindow(window);

    popoverOverlayView_ = makeOverlayViewWithBounds(frame);
    popoverOverlayView_->setParent(parent);
    parent->installEventFilter(this);
    popoverOverlayView_->show();
    popoverOverlayView_->raise();
    view()->setParent(parent);
    view()->setGeometry(initialPopoverFrameForParentFrame(frame));
    view()->show();
    view()->raise();

    auto* group = new QParallelAnimationGroup(this);
    if (grow) kp_setContentSize(window, frame.size(), true);
    group->addAnimation(fade(1.0));
    group->addAnimation(inAnimationWithDestinationFrame(finalPopoverFrameForParentFrame(frame)));
    animation_ = group;
    group->start(QAbstractAnimation::DeleteWhenStopped);
    if (auto* controller = KPWindowController::controllerOf(window))
        controller->setPopoverViewController(this);
}

void KPPopoverViewController::dismissPopover(QObject*) {
    dismissPopoverAnimated(true);
}

void KPPopoverViewController::dismissPopoverAnimated(bool) {
    if (!popoverOverlayView_) return;
    if (animation_) animation_->stop();
    const QRect target = initialPopoverFrameForParentFrame(kp_contentView(parentWindow())->rect());
    auto* group = new QParallelAnimationGroup(this);
    group->addAnimation(fade(0.0));
    group->addAnimation(inAnimationWithDestinationFrame(target));
    connect(group, &QAbstractAnimation::finished, this, &KPPopoverViewController::finishDismissal);
    animation_ = group;
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

// The overlay covers the whole content, however the window is resized.
bool KPPopoverViewController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && popoverOverlayView_ &&
        watched == popoverOverlayView_->parentWidget())
        popoverOverlayView_->setGeometry(popoverOverlayView_->parentWidget()->rect());
    return KPViewController::eventFilter(watched, event);
}

void KPPopoverViewController::finishDismissal() {
    if (popoverOverlayView_) popoverOverlayView_->parentWidget()->removeEventFilter(this);
    delete popoverOverlayView_;
    view()->hide();
    view()->setParent(nullptr);
    KPWindowController* controller = KPWindowController::controllerOf(parentWindow());
    if (controller && controller->popoverViewController() == this)
        controller->setPopoverViewController(nullptr);
}
