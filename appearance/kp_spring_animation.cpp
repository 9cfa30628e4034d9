#include "appearance/kp_spring_animation.h"

#include <cmath>

namespace {

// Damping ratio and natural frequency chosen so the spring overshoots by about a sixth
// and comes to rest (within 2%) at the end of the animation.
constexpr qreal kDampingRatio = 0.5;
constexpr qreal kAngularFrequency = 20;

}  // namespace

qreal kpSpringProgress(qreal progress) {
    if (progress >= 1) return 1;
    const qreal t = progress * kKPSpringMilliseconds / 1000.0;
    const qreal decay = kDampingRatio * kAngularFrequency;
    const qreal damped = kAngularFrequency * std::sqrt(1 - kDampingRatio * kDampingRatio);
    return 1 -
           std::exp(-decay * t) * (std::cos(damped * t) + decay / damped * std::sin(damped * t));
}

QEasingCurve kpSpringCurve() {
    QEasingCurve curve;
    curve.setCustomType(&kpSpringProgress);
    return curve;
}

QPropertyAnimation* kpSpringAnimation(QWidget* view, const QRectF& destination) {
    auto* animation = new QPropertyAnimation(view, "geometry", view);
    animation->setDuration(kKPSpringMilliseconds);
    animation->setEasingCurve(kpSpringCurve());
    animation->setStartValue(view->geometry());
    animation->setEndValue(kpIntegralRect(destination));
    return animation;
}

QRect kpIntegralRect(const QRectF& rect) {
    return rect.toAlignedRect();
}
