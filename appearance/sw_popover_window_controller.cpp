#include "appearance/sw_popover_window_controller.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QScreen>

#include "appearance/kp_drawing.h"
#include "appearance/kp_theme_manager.h"
#include "appearance/kp_window_geometry.h"
#include "base/dispatch.h"

namespace {

const KPShadow kCardShadow{QColor::fromRgbF(0, 0, 0, 0.3f), QPointF(0, 3), 4};

}  // namespace

SWPopoverPanel::SWPopoverPanel(QWidget* parent) : KPYosemitePanel(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setShadowMargins(QMargins(kShadowMargin, kShadowMargin, kShadowMargin, kShadowMargin));
    setStandardButtonsHidden(true);
    headerView()->hide();
    kp_setResizable(this, false);
    themeObserver_.configure(*this);
}

void SWPopoverPanel::applyTheme() {
    cardColor_ = KPThemeManager::sharedManager().colorForKey(QString::fromLatin1(kCardColorKey));
    update();
}

void SWPopoverPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(contentView()->geometry()), kCardCornerRadius, kCardCornerRadius);
    kp_drawShadow(painter, card, kCardShadow);
    painter.fillPath(card, cardColor_);
}

KPYosemiteWindow* SWPopoverWindowController::makeWindow() {
    return new SWPopoverPanel;
}

QRect SWPopoverWindowController::frameRelativeToRect(const QRect& rect, QWidget* view,
                                                     int preferredEdge) const {
    const QMargins margins = window()->shadowMargins();
    const QSize size = window()->size().shrunkBy(margins);
    const QRect anchor(view->mapToGlobal(rect.topLeft()), rect.size());
    int x = anchor.x();
    if (preferredEdge == kCentredEdge) x = anchor.x() + anchor.width() / 2 - size.width() / 2;
    const QScreen* screen = view->screen();
    const int right = screen ? screen->availableGeometry().x() + screen->availableGeometry().width()
                             : x + anchor.width() + size.width();
    if (x + anchor.width() + size.width() > right) x = right - size.width();
    return QRect(QPoint(x, anchor.y() + anchor.height()), size).marginsAdded(margins);
}

void SWPopoverWindowController::showRelativeToRect(const QRect& rect, QWidget* view,
                                                   int preferredEdge) {
    if (animating_) return;
    animating_ = true;
    const QRect frame = frameRelativeToRect(rect, view, preferredEdge);
    KPYosemiteWindow* panel = window();
    const int m = kGrowMargin;
    panel->setGeometry(frame.adjusted(m, m, -m, -m));
    panel->setWindowOpacity(0.75);
    panel->show();
    panel->raise();
    panel->activateWindow();
    animate(frame, 1.0, kOpenMilliseconds, [this] { settle(); });
}

void SWPopoverWindowController::close() {
    if (animating_) return;
    animating_ = true;
    if (delegate_) delegate_->popoverWillClose(this);
    KPYosemiteWindow* panel = window();
    const int m = kGrowMargin;
    animate(panel->geometry().adjusted(m, m, -m, -m), 0.0, kCloseMilliseconds, [this] {
        window()->hide();
        if (delegate_) delegate_->popoverDidClose(this);
        settle();
    });
}

void SWPopoverWindowController::animate(const QRect& frame, qreal opacity, int milliseconds,
                                        std::function<void()> done) {
    KPYosemiteWindow* panel = window();
    auto* group = new QParallelAnimationGroup(this);
    auto* move = new QPropertyAnimation(panel, "geometry", group);
    move->setEndValue(frame);
    auto* fade = new QPropertyAnimation(panel, "windowOpacity", group);
    fade->setEndValue(opacity);
    for (QPropertyAnimation* animation : {move, fade}) {
        animation->setDuration(milliseconds);
        group->addAnimation(animation);
    }
    connect(group, &QAbstractAnimation::finished, this, std::move(done));
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

// Requests stay blocked a little after an animation so that the resign of the active
// window an opening or closing causes does not start another one.
void SWPopoverWindowController::settle() {
    dispatch::dispatchAfter(kSettleMilliseconds / 1000.0,
                            [self = QPointer<SWPopoverWindowController>(this)] {
                                if (self) self->animating_ = false;
                            });
}

bool SWPopoverWindowController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window() && event->type() == QEvent::WindowDeactivate && window()->isVisible())
        close();
    return KPWindowController::eventFilter(watched, event);
}

namespace {

constexpr qreal kBackgroundInset = 20;
constexpr qreal kBackgroundShortening = 40;
const KPShadow kBackgroundShadow{QColor::fromRgbF(0, 0, 0, 0.3f), QPointF(0, 0), 20};

}  // namespace

SWModalWindowBackgroundView::SWModalWindowBackgroundView(QWidget* parent) : KPThemableView(parent) {
    setShadow(kBackgroundShadow);
}

QRectF SWModalWindowBackgroundView::drawingBounds() const {
    const QRectF inset = QRectF(rect()).adjusted(kBackgroundInset, kBackgroundInset,
                                                 -kBackgroundInset, -kBackgroundInset);
    return QRectF(inset.topLeft(), QSizeF(inset.width(), inset.height() - kBackgroundShortening));
}
