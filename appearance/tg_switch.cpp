#include "appearance/tg_switch.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

#include "appearance/kp_drawing.h"
#include "appearance/kp_theme_manager.h"

namespace {

const QColor kDefaultTintColor = QColor::fromRgbF(0.27f, 0.86f, 0.36f);
const QColor kDefaultDisabledBorderColor = QColor::fromRgbF(0, 0, 0, 0.2f);
// The knob's width is the track's (less its border) over these.
constexpr qreal kPressedKnobRatio = 1.38;
constexpr qreal kKnobRatio = 1.618034;
const KPShadow kKnobDropShadow{QColor::fromRgbF(0, 0, 0, 0.3f), QPointF(0, 2), 1};
const KPShadow kKnobRimShadow{QColor::fromRgbF(0, 0, 0, 0.35f), QPointF(0, 0), 1};

// Settles with a slight overshoot after a click; plain ease while dragging.
QEasingCurve curve(bool overshoot) {
    QEasingCurve easing(QEasingCurve::BezierSpline);
    if (overshoot) {
        easing.addCubicBezierSegment(QPointF(0.25, 1.5), QPointF(0.5, 1.0), QPointF(1, 1));
    } else {
        easing.addCubicBezierSegment(QPointF(0.25, 0.1), QPointF(0.25, 1.0), QPointF(1, 1));
    }
    return easing;
}

qreal mix(qreal from, qreal to, qreal t) {
    return from + (to - from) * t;
}

// Blends premultiplied, so fading from clear to a colour never passes through black.
QColor mix(const QColor& from, const QColor& to, qreal t) {
    t = std::clamp(t, 0.0, 1.0);
    const qreal alpha = mix(from.alphaF(), to.alphaF(), t);
    if (alpha <= 0) return QColor(Qt::transparent);
    auto channel = [&](qreal a, qreal b) {
        return mix(a * from.alphaF(), b * to.alphaF(), t) / alpha;
    };
    return QColor::fromRgbF(float(channel(from.redF(), to.redF())),
                            float(channel(from.greenF(), to.greenF())),
                            float(channel(from.blueF(), to.blueF())), float(alpha));
}

QRectF mix(const QRectF& from, const QRectF& to, qreal t) {
    return QRectF(mix(from.x(), to.x(), t), mix(from.y(), to.y(), t),
                  mix(from.width(), to.width(), t), mix(from.height(), to.height(), t));
}

}  // namespace

// The switch as assistive technology sees it: a check box without children whose
// value can be set and which can be pressed.
class TGSwitchAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit TGSwitchAccessible(TGSwitch* control)
        : QAccessibleWidget(control, QAccessible::CheckBox) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = control()->checked();
        return state;
    }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Value) return control()->checked() ? "1" : "0";
        return QAccessibleWidget::text(type);
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QStringList actionNames() const override {
        return QAccessibleWidget::actionNames() << pressAction() << toggleAction();
    }
    void doAction(const QString& name) override {
        if (name == pressAction() || name == toggleAction()) {
            control()->userSetChecked(!control()->checked());
        } else {
            QAccessibleWidget::doAction(name);
        }
    }

    QVariant currentValue() const override { return int(control()->checked()); }
    void setCurrentValue(const QVariant& value) override {
        if (value.toBool() != control()->checked()) control()->userSetChecked(value.toBool());
    }
    QVariant maximumValue() const override { return 1; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    TGSwitch* control() const { return static_cast<TGSwitch*>(widget()); }
};

namespace {

QAccessibleInterface* accessibleSwitch(const QString&, QObject* object) {
    if (auto* control = qobject_cast<TGSwitch*>(object)) return new TGSwitchAccessible(control);
    return nullptr;
}

}  // namespace

TGSwitch::TGSwitch(QWidget* parent) : QWidget(parent), animation_(new QVariantAnimation(this)) {
    static const bool accessible = (QAccessible::installFactory(accessibleSwitch), true);
    Q_UNUSED(accessible);
    // Reached by the keyboard, as a switch is with full keyboard access; a click does
    // not take the focus.
    setFocusPolicy(Qt::TabFocus);
    animation_->setStartValue(0.0);
    animation_->setEndValue(1.0);
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        const qreal t = value.toReal();
        presented_.trackBackground =
            mix(animationStart_.trackBackground, model_.trackBackground, t);
        presented_.trackBorder = mix(animationStart_.trackBorder, model_.trackBorder, t);
        presented_.trackCornerRadius = model_.trackCornerRadius;
        presented_.knob = mix(animationStart_.knob, model_.knob, t);
        presented_.knobCornerRadius = model_.knobCornerRadius;
        presented_.opacity = mix(animationStart_.opacity, model_.opacity, std::clamp(t, 0.0, 1.0));
        update();
    });
    reloadLayerSize();
}

TGSwitch::~TGSwitch() = default;

void TGSwitch::setChecked(bool checked, bool animated) {
    if (checked != checked_) {
        checked_ = checked;
        emit checkedChanged(checked);
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
    reloadLayerAnimated(animated);
}

QColor TGSwitch::tintColor() const {
    return tintColor_.isValid() ? tintColor_ : kDefaultTintColor;
}

void TGSwitch::setTintColor(const QColor& color) {
    tintColor_ = color;
    reloadLayerAnimated(true);
}

QColor TGSwitch::disabledBorderColor() const {
    return disabledBorderColor_.isValid() ? disabledBorderColor_ : kDefaultDisabledBorderColor;
}

void TGSwitch::setDisabledBorderColor(const QColor& color) {
    disabledBorderColor_ = color;
    reloadLayerAnimated(true);
}

bool TGSwitch::showsOn() const {
    return dragged_ ? draggingTowardsOn_ : checked_;
}

QRectF TGSwitch::rectForKnob() const {
    const qreal width = this->width();
    const qreal height = this->height() - 2;
    const qreal knobWidth = (width - 2) / (active_ ? kPressedKnobRatio : kKnobRatio);
    const qreal x = showsOn() ? width - knobWidth - 1 : 1;
    return QRectF(x, 1, knobWidth, height);
}

TGSwitch::Layers TGSwitch::targetLayers() const {
    Layers layers;
    const bool on = showsOn();
    layers.trackBackground = on ? tintColor() : QColor(Qt::transparent);
    layers.trackBorder = on ? tintColor() : disabledBorderColor();
    layers.trackCornerRadius = height() / 2.0;
    layers.knob = rectForKnob();
    layers.knobCornerRadius = layers.knob.height() / 2;
    layers.opacity = isEnabled() ? 1.0 : kDisabledOpacity;
    return layers;
}

void TGSwitch::reloadLayerAnimated(bool animated) {
    model_ = targetLayers();
    animation_->stop();
    if (!animated || !isVisible()) {
        presented_ = model_;
        update();
        return;
    }
    animationStart_ = presented_;
    animation_->setDuration(kAnimationDurationMs);
    animation_->setEasingCurve(curve(!dragged_));
    animation_->start();
}

void TGSwitch::reloadLayerSize() {
    // The layers are drawn from the widget's size: a resize is a reload without animation.
    reloadLayerAnimated(false);
}

void TGSwitch::userSetChecked(bool checked) {
    setChecked(checked, true);
    emit activated();
}

void TGSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    kp_drawWithOpacity(painter, size(), presented_.opacity,
                       [this](QPainter& layer) { drawLayers(layer); });
}

void TGSwitch::drawLayers(QPainter& painter) const {
    const QRectF track(rect());
    const qreal radius = presented_.trackCornerRadius;
    QPainterPath trackPath;
    trackPath.addRoundedRect(track, radius, radius);
    painter.fillPath(trackPath, presented_.trackBackground);
    // The border lies inside the track, one pixel wide.
    QPainterPath borderPath;
    borderPath.addRoundedRect(track.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
    painter.strokePath(borderPath, QPen(presented_.trackBorder, 1));
    if (hasFocus()) {
        QPainterPath ring;
        ring.addRoundedRect(track.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
        QColor highlight = palette().color(QPalette::Highlight);
        highlight.setAlphaF(0.55f);
        painter.strokePath(ring, QPen(highlight, 2));
    }

    QPainterPath knob;
    knob.addRoundedRect(presented_.knob, presented_.knobCornerRadius, presented_.knobCornerRadius);
    kp_drawShadow(painter, knob, kKnobDropShadow);
    kp_drawShadow(painter, knob, kKnobRimShadow);
    painter.fillPath(knob, Qt::white);
}

void TGSwitch::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    reloadLayerSize();
}

void TGSwitch::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::EnabledChange) return;
    // A press cut short by disabling never completes.
    active_ = dragged_ = draggingTowardsOn_ = false;
    reloadLayerAnimated(true);
}

void TGSwitch::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    active_ = true;
    reloadLayerAnimated(true);
}

void TGSwitch::mouseMoveEvent(QMouseEvent* event) {
    if (!active_) return QWidget::mouseMoveEvent(event);
    dragged_ = true;
    draggingTowardsOn_ = event->position().x() >= width() / 2.0;
    reloadLayerAnimated(true);
}

void TGSwitch::mouseReleaseEvent(QMouseEvent* event) {
    if (!active_ || event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    active_ = false;
    userSetChecked(!checked_);
    dragged_ = draggingTowardsOn_ = false;
    reloadLayerAnimated(true);
}

void TGSwitch::keyPressEvent(QKeyEvent* event) {
    if (!hasFocus()) return event->ignore();
    switch (event->key()) {
        case Qt::Key_Space:
            userSetChecked(!checked_);
            break;
        case Qt::Key_Left:
            if (checked_) userSetChecked(false);
            break;
        case Qt::Key_Right:
            if (!checked_) userSetChecked(true);
            break;
        default:
            return QWidget::keyPressEvent(event);
    }
    event->accept();
}

SWThemableTGSwitch::SWThemableTGSwitch(QWidget* parent) : TGSwitch(parent) {
    themeObserver_.configure(*this);
}

void SWThemableTGSwitch::setDisabledBorderColorKey(const QString& key) {
    changeThemeKey(disabledBorderColorKey_, key);
}

void SWThemableTGSwitch::applyTheme() {
    if (disabledBorderColorKey_.isEmpty()) return;
    setDisabledBorderColor(KPThemeManager::sharedManager().colorForKey(disabledBorderColorKey_));
}
