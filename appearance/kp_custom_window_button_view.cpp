#include "appearance/kp_custom_window_button_view.h"

#include <QEvent>

namespace {

constexpr int kButtonSpacing = 20;

}  // namespace

KPCustomWindowButtonView::KPCustomWindowButtonView(QWidget* parent) : QWidget(parent) {
    for (const auto kind :
         {KPWindowButton::Close, KPWindowButton::Minimize, KPWindowButton::Zoom}) {
        auto* button = new KPWindowButton(kind, this);
        button->move(int(buttons_.size()) * kButtonSpacing, 0);
        button->setCovered(true);
        buttons_.append(button);
    }
    setFixedSize(2 * kButtonSpacing + buttons_.first()->width(), buttons_.first()->height());
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
