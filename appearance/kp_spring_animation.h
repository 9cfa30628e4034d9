#pragma once

#include <QEasingCurve>
#include <QPropertyAnimation>
#include <QRect>
#include <QWidget>

// The spring the popovers move with: fast (speed 15) and moderately bouncy (bounciness
// 7) — one visible overshoot that settles within the animation.
inline constexpr int kKPSpringMilliseconds = 400;

// A damped spring's progress from 0 to 1, overshooting once; exactly 1 at the end.
qreal kpSpringProgress(qreal progress);
QEasingCurve kpSpringCurve();

// Animates the view's geometry from its current frame to the integral form of the
// destination.
QPropertyAnimation* kpSpringAnimation(QWidget* view, const QRectF& destination);

// The rectangle's integral form: its edges moved outwards to whole points.
QRect kpIntegralRect(const QRectF& rect);
