#include "appearance/kp_custom_window_button_view.h"

#include <QEvent>

KPCustomWindowButtonView::KPCustomWindowButtonView(QWidget* parent)
    : QWidget(parent), buttons_(KPWindowButton::makeRow(this, QPoint(0, 0))) {
    for (KPWindowButton* button : buttons_)
        button->setCovered(true);
    setFixedSize(2 * KPWindowButton::kSpacing + buttons_.first()->width(),
                 buttons_.first()->height());
    hideWindowButtons();
}

void KPCustomWindowButtonView::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    setMouseInside(true);
}

void KPCustomWindowButtonView::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    setMouseInside(false);
}

// Moved into another window or shown in one, the replicas stand in for that window's
// buttons.
bool KPCustomWindowButtonView::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange || event->type() == QEvent::Show) {
        hideWindowButtons();
    }
    return QWidget::event(event);
}

void KPCustomWindowButtonView::setMouseInside(bool inside) {
    mouseInside_ = inside;
    for (KPWindowButton* button : std::as_const(buttons_))
        button->setCovered(!inside);
}

void KPCustomWindowButtonView::hideWindowButtons() {
    if (auto* yosemite = qobject_cast<KPYosemiteWindow*>(window())) {
        yosemite->setStandardButtonsHidden(true);
    }
}
