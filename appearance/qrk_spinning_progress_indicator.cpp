#include "appearance/qrk_spinning_progress_indicator.h"

#include <QPainter>
#include <QTimer>
#include <cmath>

#include "appearance/kp_theme_manager.h"

namespace {

constexpr qreal kFinFade = 0.85;
constexpr qreal kStoppedFinAlpha = 0.15;
// Fin geometry as fractions of the spinner's size.
constexpr qreal kFinWidth = 0.0859375;
constexpr qreal kFinInner = 0.234375;
constexpr qreal kFinOuter = 0.421875;

QColor withAlpha(QColor color, qreal alpha) {
    if (color.isValid()) color.setAlphaF(float(alpha));
    return color;
}

}  // namespace

QRKSpinningProgressIndicator::QRKSpinningProgressIndicator(QWidget* parent) : QWidget(parent) {
    // Hiding a stopped spinner keeps its place in a layout.
    QSizePolicy policy = sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    setSizePolicy(policy);
}

// The animation thread, declared last, is stopped and joined before the rest goes.
QRKSpinningProgressIndicator::~QRKSpinningProgressIndicator() = default;

qreal QRKSpinningProgressIndicator::finAlpha(int position, int currentPosition) {
    return std::pow(kFinFade, (position + currentPosition) % kFinCount);
}

QList<QColor> QRKSpinningProgressIndicator::finColors() const {
    std::lock_guard lock(frameMutex_);
    return finColors_;
}

int QRKSpinningProgressIndicator::currentPosition() const {
    std::lock_guard lock(frameMutex_);
    return currentPosition_;
}

void QRKSpinningProgressIndicator::startAnimation() {
    if (!indeterminate_ || isAnimating_) return;
    stopAnimation();
    isAnimating_ = true;
    {
        std::lock_guard lock(frameMutex_);
        currentPosition_ = 0;
    }
    if (!displayedWhenStopped_) show();
    if (usesThreadedAnimation_) {
        thread_ = std::jthread([this](std::stop_token stop) { runAnimationThread(stop); });
    } else {
        // A precise timer, so the spinner turns evenly; it fires while menus track too.
        timer_ = new QTimer(this);
        timer_->setTimerType(Qt::PreciseTimer);
        connect(timer_, &QTimer::timeout, this, &QRKSpinningProgressIndicator::updateFrame);
        timer_->start(kFrameIntervalMs);
    }
}

void QRKSpinningProgressIndicator::stopAnimation() {
    isAnimating_ = false;
    if (!displayedWhenStopped_) hide();
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
    delete timer_;
    timer_ = nullptr;
    update();
}

void QRKSpinningProgressIndicator::runAnimationThread(std::stop_token stop) {
    std::unique_lock lock(frameMutex_);
    while (!stop.stop_requested()) {
        lock.unlock();
        updateFrame();
        lock.lock();
        threadWake_.wait_for(lock, stop, std::chrono::milliseconds(kFrameIntervalMs),
                             [] { return false; });
    }
}

void QRKSpinningProgressIndicator::updateFrame() {
    {
        std::lock_guard lock(frameMutex_);
        computeFinColors(displayedWhenStopped_ ? kStoppedFinAlpha : 0.0);
        currentPosition_ = (currentPosition_ + 1) % kFinCount;
    }
    // Widgets paint on the main thread only: the thread asks for a repaint.
    QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::AutoConnection);
}

void QRKSpinningProgressIndicator::setColor(const QColor& color) {
    if (color == color_ && color.isValid() == color_.isValid()) return;
    std::lock_guard lock(frameMutex_);
    color_ = color;
    computeFinColors(0.0);
    update();
}

void QRKSpinningProgressIndicator::computeFinColors(qreal minimumAlpha) {
    finColors_.resize(kFinCount);
    for (int i = 0; i < kFinCount; ++i) {
        finColors_[i] = withAlpha(color_, std::max(minimumAlpha, finAlpha(i, currentPosition_)));
    }
}

void QRKSpinningProgressIndicator::setBackgroundColor(const QColor& color) {
    backgroundColor_ = color;
    update();
}

void QRKSpinningProgressIndicator::setDrawsBackground(bool draws) {
    drawsBackground_ = draws;
    update();
}

void QRKSpinningProgressIndicator::setDisplayedWhenStopped(bool displayed) {
    {
        std::lock_guard lock(frameMutex_);
        displayedWhenStopped_ = displayed;
    }
    if (!isAnimating_) setVisible(displayed);
}

void QRKSpinningProgressIndicator::setUsesThreadedAnimation(bool threaded) {
    if (threaded == usesThreadedAnimation_) return;
    usesThreadedAnimation_ = threaded;
    if (isAnimating_) {
        stopAnimation();
        startAnimation();
    }
}

void QRKSpinningProgressIndicator::setIsIndeterminate(bool indeterminate) {
    indeterminate_ = indeterminate;
    if (!indeterminate && isAnimating_) stopAnimation();
    update();
}

void QRKSpinningProgressIndicator::setCurrentValue(double value) {
    if (indeterminate_) indeterminate_ = false;
    currentValue_ = value;
    update();
}

void QRKSpinningProgressIndicator::setMaxValue(double value) {
    maxValue_ = value;
    update();
}

void QRKSpinningProgressIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (drawsBackground_ && backgroundColor_.isValid()) painter.fillRect(rect(), backgroundColor_);
    const qreal size = std::min(width(), height());
    painter.translate(width() / 2.0, height() / 2.0);

    if (indeterminate_) {
        const QList<QColor> fins = finColors();
        if (isAnimating_ && fins.isEmpty()) return;
        QPen pen;
        pen.setWidthF(kFinWidth * size);
        pen.setCapStyle(Qt::RoundCap);
        for (int i = 0; i < kFinCount; ++i) {
            const QColor fin = isAnimating_ ? fins[i] : withAlpha(color_, kStoppedFinAlpha);
            if (fin.isValid()) {
                pen.setColor(fin);
                painter.setPen(pen);
                painter.drawLine(QPointF(0, -kFinInner * size), QPointF(0, -kFinOuter * size));
            }
            // Counter-clockwise, so the bright fin travels clockwise as the frames advance.
            painter.rotate(-360.0 / kFinCount);
        }
        return;
    }
    if (!color_.isValid()) return;
    const qreal lineWidth = 1 + 0.01 * size;
    const qreal radius = (size - lineWidth) / 2.1;
    const QRectF circle(-radius, -radius, 2 * radius, 2 * radius);
    painter.setPen(QPen(color_, lineWidth));
    painter.drawEllipse(circle);
    const qreal fraction = maxValue_ > 0 ? currentValue_ / maxValue_ : 0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(color_);
    painter.drawPie(circle, 90 * 16, -qRound(360 * 16 * fraction));
}

PVThemableSpinningProgressIndicator::PVThemableSpinningProgressIndicator(QWidget* parent)
    : QRKSpinningProgressIndicator(parent) {
    themeObserver_.configure(*this);
    setIndeterminate(true);
    setUsesThreadedAnimation(false);
    setDisplayedWhenStopped(false);
}

void PVThemableSpinningProgressIndicator::setTintColorKey(const QString& key) {
    tintColorKey_ = key;
    applyTheme();
}

void PVThemableSpinningProgressIndicator::setBackgroundStyle(int style) {
    backgroundStyle_ = style;
    applyTheme();
}

void PVThemableSpinningProgressIndicator::applyTheme() {
    // A selected row keeps its white spinner through theme changes.
    if (backgroundStyle_ == kEmphasizedBackgroundStyle) return setColor(Qt::white);
    if (tintColorKey_.isEmpty()) return;
    setColor(KPThemeManager::sharedManager().colorForKey(tintColorKey_));
}
