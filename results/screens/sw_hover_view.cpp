#include "results/screens/sw_hover_view.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

#include "appearance/kp_theme_manager.h"

SWHoverLayer::SWHoverLayer(QWidget& widget)
    : widget_(widget), fade_(std::make_unique<QVariantAnimation>()) {
    fade_->setDuration(kFadeDurationMs);
    QObject::connect(fade_.get(), &QVariantAnimation::valueChanged, fade_.get(),
                     [this](const QVariant& value) {
                         color_ = value.value<QColor>();
                         widget_.update();
                     });
    QObject::connect(fade_.get(), &QVariantAnimation::finished, fade_.get(), [this] {
        color_ = target_;
        widget_.update();
    });
}

SWHoverLayer::~SWHoverLayer() = default;

bool SWHoverLayer::isFading() const {
    return fade_->state() == QAbstractAnimation::Running;
}

void SWHoverLayer::fadeTo(const QColor& color) {
    fade_->stop();
    if (!widget_.isVisible()) return jumpTo(color);
    target_ = color;
    // A fade from or to clear keeps the other end's hue: clear is transparent black, and
    // fading through it would darken the colour on the way.
    QColor from = color_;
    QColor to = color;
    if (from.alpha() == 0) from = QColor(to.red(), to.green(), to.blue(), 0);
    if (to.alpha() == 0) to = QColor(from.red(), from.green(), from.blue(), 0);
    fade_->setStartValue(from);
    fade_->setEndValue(to);
    fade_->start();
}

void SWHoverLayer::jumpTo(const QColor& color) {
    fade_->stop();
    color_ = target_ = color;
    widget_.update();
}

void SWHoverLayer::draw(QPainter& painter, const QPainterPath& area) const {
    painter.fillPath(area, color_);
}

SWHoverTextField::SWHoverTextField(QWidget* parent) : KPThemableTextField(parent), layer_(*this) {
    originalTextColor_ = textColor();
}

void SWHoverTextField::enterEvent(QEnterEvent* event) {
    KPThemableTextField::enterEvent(event);
    hovered_ = true;
    layer_.fadeTo(hoverBackgroundColor_.isValid() ? hoverBackgroundColor_
                                                  : QColor(Qt::transparent));
    if (hoverTextColor_.isValid()) showTextColor(hoverTextColor_);
}

void SWHoverTextField::leaveEvent(QEvent* event) {
    KPThemableTextField::leaveEvent(event);
    hovered_ = false;
    layer_.fadeTo(restingBackgroundColor());
    if (textColor() != originalTextColor_) showTextColor(originalTextColor_);
}

// Every text colour change that is not the hover's own lands in the palette: from
// setTextColor, the colour key on a theme change, or the application's palette.
void SWHoverTextField::changeEvent(QEvent* event) {
    KPThemableTextField::changeEvent(event);
    if (event->type() != QEvent::PaletteChange || presentingHoverColor_) return;
    originalTextColor_ = textColor();
    // The new colour waits until the pointer leaves.
    if (hovered_ && hoverTextColor_.isValid()) showTextColor(hoverTextColor_);
}

void SWHoverTextField::paintEvent(QPaintEvent* event) {
    if (hovered_ || layer_.isFading()) {
        QPainter painter(this);
        QPainterPath area;
        area.addRect(QRectF(rect()));
        layer_.draw(painter, area);
    }
    KPThemableTextField::paintEvent(event);
}

// A label draws a background only when it fills it from its palette.
QColor SWHoverTextField::restingBackgroundColor() const {
    return autoFillBackground() ? palette().color(backgroundRole()) : QColor(Qt::transparent);
}

void SWHoverTextField::showTextColor(const QColor& color) {
    presentingHoverColor_ = true;
    setTextColor(color);
    presentingHoverColor_ = false;
}

namespace {

// A header reads as a button named after its label.
class SWHoverViewAccessible : public QAccessibleWidget {
public:
    explicit SWHoverViewAccessible(SWHoverView* view)
        : QAccessibleWidget(view, QAccessible::Button) {}

    QString text(QAccessible::Text type) const override {
        const KPThemableTextField* label = view()->linkedTextField();
        if (type == QAccessible::Name && view()->accessibleName().isEmpty() && label) {
            return label->text();
        }
        return QAccessibleWidget::text(type);
    }
    QStringList actionNames() const override {
        return QAccessibleWidget::actionNames() << pressAction();
    }
    void doAction(const QString& name) override {
        if (name == pressAction()) return view()->click();
        QAccessibleWidget::doAction(name);
    }

private:
    SWHoverView* view() const { return static_cast<SWHoverView*>(widget()); }
};

QAccessibleInterface* accessibleHoverView(const QString&, QObject* object) {
    if (auto* view = qobject_cast<SWHoverView*>(object)) return new SWHoverViewAccessible(view);
    return nullptr;
}

}  // namespace

SWHoverView::SWHoverView(QWidget* parent) : KPView(parent), layer_(*this) {
    static const bool accessible = (QAccessible::installFactory(accessibleHoverView), true);
    Q_UNUSED(accessible);
    // Reached with Tab like a button; a click leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
    themeObserver_.configure(*this);
}

QColor SWHoverView::hoverBackgroundColor() const {
    return KPThemeManager::sharedManager().colorForKey(kHoverBackgroundColorKey);
}

void SWHoverView::setLinkedTextField(KPThemableTextField* field) {
    linkedTextField_ = field;
    if (field) originalTextColor_ = field->textColor();
}

void SWHoverView::applyTheme() {
    if (!hovered_) return;
    layer_.jumpTo(hoverBackgroundColor());
    if (linkedTextField_ && !linkedTextField_->textColorKey().isEmpty()) {
        originalTextColor_ =
            KPThemeManager::sharedManager().colorForKey(linkedTextField_->textColorKey());
    }
    // The label applies its own colour key on this same theme change, possibly after this
    // view has: show the hover colour again once every view has had its turn.
    QMetaObject::invokeMethod(this, &SWHoverView::showHoverTextColor, Qt::QueuedConnection);
}

void SWHoverView::enterEvent(QEnterEvent* event) {
    KPView::enterEvent(event);
    if (hovered_) return;
    hovered_ = true;
    // The label's colour may have changed since it was linked (a sort state, a theme).
    if (linkedTextField_) originalTextColor_ = linkedTextField_->textColor();
    layer_.fadeTo(hoverBackgroundColor());
    showHoverTextColor();
}

void SWHoverView::leaveEvent(QEvent* event) {
    KPView::leaveEvent(event);
    hovered_ = false;
    layer_.fadeTo(restingBackgroundColor());
    if (linkedTextField_ && linkedTextField_->textColor() != originalTextColor_) {
        linkedTextField_->setTextColor(originalTextColor_);
    }
}

// Taking the press makes the release come here, even from over the label.
void SWHoverView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return KPView::mousePressEvent(event);
    event->accept();
}

// A press dragged out before the release is the user changing their mind.
void SWHoverView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return KPView::mouseReleaseEvent(event);
    event->accept();
    if (rect().contains(event->position().toPoint())) click();
}

void SWHoverView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            return click();
        default:
            KPView::keyPressEvent(event);
    }
}

// The hover colour lies over the view's own drawing: a header draws nothing but its fill,
// and at rest that fill shows untouched.
void SWHoverView::paintEvent(QPaintEvent* event) {
    KPView::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (hovered_ || layer_.isFading()) {
        QPainterPath area;
        area.addRoundedRect(drawingBounds(), cornerRadius(), cornerRadius());
        layer_.draw(painter, area);
    }
    // Keyboard users see which header Space would sort by.
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRoundedRect(drawingBounds().adjusted(1, 1, -1, -1), cornerRadius(),
                                cornerRadius());
    }
}

QColor SWHoverView::restingBackgroundColor() const {
    return backgroundColor().isValid() ? backgroundColor() : QColor(Qt::transparent);
}

void SWHoverView::showHoverTextColor() {
    if (hovered_ && linkedTextField_ && hoverTextColor_.isValid()) {
        linkedTextField_->setTextColor(hoverTextColor_);
    }
}
