#include "appearance/kp_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "appearance/kp_theme_manager.h"

KPView::KPView(QWidget* parent) : QWidget(parent) {}

void KPView::setBackgroundColor(const QColor& color) {
    if (color == backgroundColor_ && color.isValid() == backgroundColor_.isValid()) return;
    backgroundColor_ = color;
    update();
}

void KPView::setBackgroundImage(const QIcon& image) {
    backgroundImage_ = image;
    update();
}

void KPView::setShadow(const std::optional<KPShadow>& shadow) {
    shadow_ = shadow;
    update();
}

void KPView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QRectF bounds = drawingBounds();
    const bool hasBorder = borderColor_.isValid() && borderWidth_ != 0;
    if (hasBorder) bounds.adjust(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(bounds, cornerRadius_, cornerRadius_);

    if (shadow_) {
        QPainterPath casting;
        if (backgroundColor_.isValid()) casting = path;
        if (hasBorder) {
            QPainterPathStroker stroker;
            stroker.setWidth(borderWidth_);
            casting = casting.united(stroker.createStroke(path));
        }
        kp_drawShadow(painter, casting, *shadow_);
    }
    if (backgroundColor_.isValid()) painter.fillPath(path, backgroundColor_);
    if (hasBorder) painter.strokePath(path, QPen(borderColor_, borderWidth_));
    if (!backgroundImage_.isNull()) backgroundImage_.paint(&painter, bounds.toAlignedRect());
}

KPThemableView::KPThemableView(QWidget* parent) : KPView(parent) {
    themeObserver_.configure(*this);
}

void KPThemableView::setBackgroundColorKey(const QString& key) {
    changeThemeKey(backgroundColorKey_, key);
}

void KPThemableView::setBorderColorKey(const QString& key) {
    changeThemeKey(borderColorKey_, key);
}

void KPThemableView::applyTheme() {
    KPThemeManager& themes = KPThemeManager::sharedManager();
    if (!backgroundColorKey_.isEmpty()) setBackgroundColor(themes.colorForKey(backgroundColorKey_));
    if (!borderColorKey_.isEmpty()) setBorderColor(themes.colorForKey(borderColorKey_));
    update();
}

KPNoInteractionView::KPNoInteractionView(QWidget* parent) : KPThemableView(parent) {}

void KPNoInteractionView::mousePressEvent(QMouseEvent* event) {
    event->accept();
}
void KPNoInteractionView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}
void KPNoInteractionView::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}
void KPNoInteractionView::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}
void KPNoInteractionView::wheelEvent(QWheelEvent* event) {
    event->accept();
}

namespace {

constexpr qreal kContainerCornerRadius = 5;
const KPShadow kContainerShadow{QColor::fromRgbF(0, 0, 0, 0.15f), QPointF(0, 0), 4};

}  // namespace

EOContainerView::EOContainerView(QWidget* parent) : KPThemableView(parent) {
    setCornerRadius(kContainerCornerRadius);
    setShadow(kContainerShadow);
    setBackgroundColorKey(kBackgroundColorKey);
}

QRectF EOContainerView::drawingBounds() const {
    const qreal inset = kContainerShadow.blurRadius;
    return QRectF(rect()).adjusted(inset, inset, -inset, -inset);
}
