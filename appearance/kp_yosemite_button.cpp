#include "appearance/kp_yosemite_button.h"

#include <QEnterEvent>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <cmath>

namespace {

QColor rgb(double red, double green, double blue, double alpha = 1.0) {
    return QColor::fromRgbF(float(red), float(green), float(blue), float(alpha));
}

KPGradient gradient(const QColor& top, const QColor& bottom) {
    return {top, bottom};
}

template <class T>
T orNormal(const T& state, const T& normal) {
    if constexpr (std::is_same_v<T, QColor>) {
        return state.isValid() ? state : normal;
    } else {
        return state ? state : normal;
    }
}

}  // namespace

KPYosemiteButtonCell::KPYosemiteButtonCell()
    : shadow_(KPShadow{QColor::fromRgbF(0, 0, 0, 0.3f), QPointF(0, 1), 1}) {}

KPYosemiteButtonCell::Look KPYosemiteButtonCell::currentLook() const {
    Look look{strokeColor(), backgroundColor(), backgroundGradient()};
    if (mouseDown_) {
        return {orNormal(strokeColorPressed(), look.stroke),
                orNormal(backgroundColorPressed(), look.background),
                orNormal(backgroundGradientPressed(), look.gradient)};
    }
    if (hovered_) {
        return {orNormal(strokeColorHovered(), look.stroke),
                orNormal(backgroundColorHovered(), look.background),
                orNormal(backgroundGradientHovered(), look.gradient)};
    }
    return look;
}

QColor KPYosemiteButtonCell::currentTitleColor() const {
    return mouseDown_ ? titleColorPressed() : titleColor();
}

void KPYosemiteButtonCell::drawBezel(QPainter& painter, const QRectF& frame) const {
    const Look look = currentLook();
    const std::optional<KPShadow> cast = shadow();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal inset = cast ? cast->blurRadius + 0.5 : 0;
    QPainterPath path;
    path.addRoundedRect(frame.adjusted(inset, inset, -inset, -inset), cornerRadius(),
                        cornerRadius());
    if (cast) kp_drawShadow(painter, path, *cast);
    if (look.background.isValid()) painter.fillPath(path, look.background);
    if (look.gradient) {
        const QRectF box = path.boundingRect();
        QLinearGradient fill(box.topLeft(), box.bottomLeft());
        fill.setColorAt(0, look.gradient->top);
        fill.setColorAt(1, look.gradient->bottom);
        painter.fillPath(path, fill);
    }
    if (look.stroke.isValid()) painter.strokePath(path, QPen(look.stroke, 1));
    painter.restore();
}

void KPYosemiteButtonCell::drawInterior(QPainter& painter, const QRectF& frame,
                                        const QString& title, const QFont& font) const {
    const QColor color = currentTitleColor();
    if (title.isEmpty() || !color.isValid()) return;
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    const qreal textHeight = QFontMetricsF(font).height();
    const qreal top = std::floor(frame.height() / 2 - textHeight / 2) - 1;
    painter.drawText(QRectF(frame.x(), frame.y() + top, frame.width(), frame.height()),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, title);
    painter.restore();
}

std::optional<KPGradient> KPGrayYosemiteButtonCell::backgroundGradient() const {
    return gradient(rgb(0.6784, 0.698, 0.7294), rgb(0.6235, 0.6392, 0.6706));
}
std::optional<KPGradient> KPGrayYosemiteButtonCell::backgroundGradientPressed() const {
    return KPGradient::flat(rgb(0.4941, 0.5059, 0.5294));
}
std::optional<KPGradient> KPGrayYosemiteButtonCell::backgroundGradientHovered() const {
    return KPGradient::flat(rgb(0.5843, 0.6039, 0.6314));
}

std::optional<KPGradient> KPRedYosemiteButtonCell::backgroundGradient() const {
    return gradient(rgb(0.898, 0, 0), rgb(0.8078, 0, 0));
}
std::optional<KPGradient> KPRedYosemiteButtonCell::backgroundGradientPressed() const {
    return KPGradient::flat(rgb(0.8078, 0, 0));
}
std::optional<KPGradient> KPRedYosemiteButtonCell::backgroundGradientHovered() const {
    return KPGradient::flat(rgb(0.898, 0, 0));
}

std::optional<KPGradient> KPTealYosemiteButtonCell::backgroundGradient() const {
    return gradient(rgb(0.3922, 0.6706, 0.6431), rgb(0.2039, 0.6, 0.5608));
}
std::optional<KPGradient> KPTealYosemiteButtonCell::backgroundGradientPressed() const {
    return KPGradient::flat(rgb(0.2039, 0.6, 0.5608));
}
std::optional<KPGradient> KPTealYosemiteButtonCell::backgroundGradientHovered() const {
    return KPGradient::flat(rgb(0.3922, 0.6706, 0.6431));
}

std::optional<KPGradient> KPUpdatedBlueYosemiteButtonCell::backgroundGradient() const {
    return gradient(rgb(0, 0.4941, 0.898), rgb(0, 0.4431, 0.8078));
}
std::optional<KPGradient> KPUpdatedBlueYosemiteButtonCell::backgroundGradientPressed() const {
    return KPGradient::flat(rgb(0, 0.4431, 0.8078));
}
std::optional<KPGradient> KPUpdatedBlueYosemiteButtonCell::backgroundGradientHovered() const {
    return KPGradient::flat(rgb(0, 0.4941, 0.898));
}

std::optional<KPGradient> KPGreenYosemiteButtonCell::backgroundGradient() const {
    return gradient(rgb(0.5373, 0.8627, 0.4235), rgb(0.3725, 0.6863, 0.2706));
}
std::optional<KPGradient> KPGreenYosemiteButtonCell::backgroundGradientPressed() const {
    return gradient(rgb(0.4745, 0.7608, 0.3725), rgb(0.3216, 0.5882, 0.2314));
}
QColor KPGreenYosemiteButtonCell::strokeColor() const {
    return rgb(0.3608, 0.6627, 0.2549);
}
QColor KPGreenYosemiteButtonCell::strokeColorPressed() const {
    return rgb(0.2745, 0.502, 0.1882);
}

QColor KPNormalYosemiteButton::titleColor() const {
    return rgb(0.15, 0.15, 0.15);
}
std::optional<KPGradient> KPNormalYosemiteButton::backgroundGradientPressed() const {
    return gradient(rgb(0.4118, 0.698, 0.9922), rgb(0, 0.4784, 1.0));
}
QColor KPNormalYosemiteButton::strokeColor() const {
    return rgb(0.7725, 0.7725, 0.7725);
}
QColor KPNormalYosemiteButton::strokeColorPressed() const {
    return rgb(0.1137, 0.451, 0.9961, 0.5);
}

std::optional<KPGradient> KPBlueYosemiteButtonCell::backgroundGradient() const {
    return gradient(rgb(0.4118, 0.698, 0.9922), rgb(0, 0.4784, 1.0));
}
std::optional<KPGradient> KPBlueYosemiteButtonCell::backgroundGradientPressed() const {
    return gradient(rgb(0.3176, 0.6078, 0.9843), rgb(0.0824, 0.4196, 0.8784));
}
QColor KPBlueYosemiteButtonCell::strokeColor() const {
    return rgb(0.1137, 0.451, 0.9961, 0.5);
}
QColor KPBlueYosemiteButtonCell::strokeColorPressed() const {
    return rgb(0.0353, 0.2588, 0.8784, 0.5);
}

KPYosemiteButton::KPYosemiteButton(QWidget* parent)
    : KPYosemiteButton(std::make_unique<KPYosemiteButtonCell>(), QString(), parent) {}

KPYosemiteButton::KPYosemiteButton(std::unique_ptr<KPYosemiteButtonCell> cell, const QString& title,
                                   QWidget* parent)
    : QAbstractButton(parent),
      cell_(std::move(cell)),
      fade_(new QPropertyAnimation(this, "alphaValue", this)) {
    setText(title);
    setAttribute(Qt::WA_Hover);
    fade_->setDuration(kFadeDurationMs);
}

KPYosemiteButton::~KPYosemiteButton() = default;

void KPYosemiteButton::setCell(std::unique_ptr<KPYosemiteButtonCell> cell) {
    cell_ = std::move(cell);
    update();
}

void KPYosemiteButton::setAlphaValue(qreal alpha) {
    alphaValue_ = alpha;
    update();
}

QSize KPYosemiteButton::sizeHint() const {
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(text()) + 40, std::max(32, metrics.height() + 14));
}

void KPYosemiteButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    kp_drawWithOpacity(painter, size(), alphaValue_, [this](QPainter& layer) {
        cell_->drawBezel(layer, QRectF(rect()));
        cell_->drawInterior(layer, QRectF(rect()), text(), font());
    });
}

void KPYosemiteButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractButton::mousePressEvent(event);
    cell_->setMouseDown(true);
    update();
    event->accept();
}

void KPYosemiteButton::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void KPYosemiteButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractButton::mouseReleaseEvent(event);
    const bool wasDown = cell_->mouseDown();
    cell_->setMouseDown(false);
    update();
    event->accept();
    if (wasDown && rect().contains(event->position().toPoint())) click();
}

void KPYosemiteButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    setCursor(Qt::PointingHandCursor);
    cell_->setHovered(true);
    update();
}

void KPYosemiteButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    unsetCursor();
    cell_->setHovered(false);
    update();
}

void KPYosemiteButton::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() != QEvent::EnabledChange) return;
    // A press cut short by disabling never completes.
    cell_->setMouseDown(false);
    fade_->stop();
    const qreal alpha = isEnabled() ? 1.0 : kDisabledAlpha;
    if (!isVisible()) return setAlphaValue(alpha);
    fade_->setStartValue(alphaValue_);
    fade_->setEndValue(alpha);
    fade_->start();
}
