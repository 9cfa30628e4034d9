#include "appearance/kp_visual_effect_view.h"

#include <QResizeEvent>

namespace {

const QString kBackdropColorKey = QStringLiteral("windowColor");

}  // namespace

KPVisualEffectView::KPVisualEffectView(QWidget* parent) : KPView(parent) {}

void KPVisualEffectView::addVisualEffectViewIfNeeded() {
    if (visualEffectView_) return;
    visualEffectView_ = new KPThemableView(this);
    visualEffectView_->setGeometry(rect());
    visualEffectView_->setBackgroundColorKey(kBackdropColorKey);
    visualEffectView_->lower();
    visualEffectView_->show();
    setBackgroundColor(QColor());
}

void KPVisualEffectView::resizeEvent(QResizeEvent* event) {
    KPView::resizeEvent(event);
    if (visualEffectView_) visualEffectView_->setGeometry(rect());
}
