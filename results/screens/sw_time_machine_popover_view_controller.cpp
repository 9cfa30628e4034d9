#include "results/screens/sw_time_machine_popover_view_controller.h"

#include <QEasingCurve>
#include <QGraphicsOpacityEffect>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>

#include "appearance/qrk_spinning_progress_indicator.h"
#include "engine/removal_plan.h"
#include "engine/scanner.h"
#include "results/screens/sw_desktop.h"
#include "results/screens/sw_popover_support.h"
#include "ui_sw_time_machine_popover_view_controller.h"

KP_INTERFACE_DEFINITION(SWTimeMachinePopoverViewController);
KP_SCREEN(SWTimeMachinePopoverViewController);

namespace {

QPropertyAnimation* crossFade(QWidget* widget, qreal from, qreal to) {
    auto* effect = new QGraphicsOpacityEffect(widget);
    effect->setOpacity(from);
    widget->setGraphicsEffect(effect);
    auto* animation = new QPropertyAnimation(effect, "opacity");
    animation->setDuration(SWTimeMachinePopoverViewController::kTransitionMilliseconds);
    animation->setEasingCurve(QEasingCurve::Linear);
    animation->setStartValue(from);
    animation->setEndValue(to);
    return animation;
}

}  // namespace

void SWTimeMachinePopoverViewController::awakeFromNib() {
    progressContainerView()->hide();
    swPreparePopoverView(view());
    KPPopoverViewController::awakeFromNib();
}

QWidget* SWTimeMachinePopoverViewController::overlayView() {
    return swOutlet(view(), "overlayView");
}

QWidget* SWTimeMachinePopoverViewController::containerView() {
    return swOutlet(view(), "containerView");
}

QWidget* SWTimeMachinePopoverViewController::contentView() {
    return swOutlet(view(), "contentView");
}

QWidget* SWTimeMachinePopoverViewController::progressContainerView() {
    return swOutlet(view(), "progressContainerView");
}

PVThemableSpinningProgressIndicator* SWTimeMachinePopoverViewController::progressIndicator() {
    return swOutlet<PVThemableSpinningProgressIndicator>(view(), "progressIndicator");
}

void SWTimeMachinePopoverViewController::on_cleanButton_clicked() {
    if (std::exchange(closing_, true)) return;
    progressIndicator()->startAnimation();
    showProgress();
    actuallyPerformClean();
}

// The explanation and the spinner share the container's one cell; the spinner fades in
// over the explanation, which then leaves for good.
void SWTimeMachinePopoverViewController::showProgress() {
    QWidget* from = contentView();
    QWidget* to = progressContainerView();
    to->show();
    to->raise();
    auto* group = new QParallelAnimationGroup(this);
    group->addAnimation(crossFade(from, 1.0, 0.0));
    group->addAnimation(crossFade(to, 0.0, 1.0));
    connect(group, &QAbstractAnimation::finished, this, [from, to] {
        from->hide();
        from->setGraphicsEffect(nullptr);
        to->setGraphicsEffect(nullptr);
    });
    transition_ = group;
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void SWTimeMachinePopoverViewController::actuallyPerformClean() {
    QList<QSScanResultPtr> selected;
    for (const SWResultRowPtr& row : resultsArray_)
        if (row->selected()) selected.append(row->scanResult());
    removing_ = true;
    emit removingChanged(true);
    // The removal runs to its end in the engine even when the popover is gone by then;
    // only a popover still there reports it.
    QSScanner::deletePlan(QSRemovalPlan::planWithResults(selected),
                          [self = QPointer<SWTimeMachinePopoverViewController>(this)](
                              const QList<QSRemovedItemPtr>& removedItems) {
                              if (!self) return;
                              self->removing_ = false;
                              emit self->removingChanged(false);
                              self->progressIndicator()->stopAnimation();
                              swCallOnce(self->didCloseBlock_, false, removedItems);
                              self->dismissPopover();
                          });
}

void SWTimeMachinePopoverViewController::on_cancelButton_clicked() {
    if (std::exchange(closing_, true)) return;
    swCallOnce(didCloseBlock_, true, QList<QSRemovedItemPtr>());
    dismissPopover();
}

void SWTimeMachinePopoverViewController::on_learnButton_clicked() {
    SWDesktop::shared().openURL(QUrl(QString::fromLatin1(SWWebAddress::kBackupAdvice)));
}
