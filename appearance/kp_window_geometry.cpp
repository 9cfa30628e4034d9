#include "appearance/kp_window_geometry.h"

#include <QPropertyAnimation>
#include <QVariant>

namespace {

constexpr char kResizableProperty[] = "kpResizable";
constexpr char kFullScreenProperty[] = "kpFullScreenEnabled";

void setFrame(QWidget* window, const QRect& frame, bool animated) {
    if (!animated || !window->isVisible()) {
        window->setGeometry(frame);
        return;
    }
    auto* animation = new QPropertyAnimation(window, "geometry", window);
    animation->setDuration(kKPWindowResizeMilliseconds);
    animation->setEndValue(frame);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

}  // namespace

QRect kp_frameForContentSize(QWidget* window, QSizeF size, qreal thickness) {
    const QRect frame = window->geometry();
    const qreal dw = size.width() - frame.width();
    const qreal dh = size.height() - frame.height() + thickness;
    // Screen coordinates grow downwards, so keeping the top edge keeps y.
    return QRectF(frame.x() - dw / 2, frame.y(), frame.width() + dw, frame.height() + dh).toRect();
}

void kp_setContentSize(QWidget* window, QSizeF size, bool animated, qreal customBorderThickness) {
    setFrame(window, kp_frameForContentSize(window, size, customBorderThickness), animated);
}

void kp_setContentSize(QWidget* window, QSizeF size, bool animated) {
    kp_setContentSize(window, size, animated, 0);
}

void kp_originalSetContentSize(QWidget* window, QSizeF size, bool animated) {
    // No system frame animation here to tell apart: the same resize.
    kp_setContentSize(window, size, animated);
}

QSizeF kp_contentSize(QWidget* window) {
    return QSizeF(window->width(), window->height() - kKPWindowHeaderHeight);
}

bool kp_isFullScreen(QWidget* window) {
    return window->windowState().testFlag(Qt::WindowFullScreen);
}

void kp_setResizable(QWidget* window, bool resizable) {
    window->setProperty(kResizableProperty, resizable);
}

bool kp_isResizable(QWidget* window) {
    const QVariant resizable = window->property(kResizableProperty);
    return !resizable.isValid() || resizable.toBool();
}

void kp_enableFullScreen(QWidget* window) {
    window->setProperty(kFullScreenProperty, true);
}

void kp_disableFullScreen(QWidget* window) {
    window->setProperty(kFullScreenProperty, false);
}

bool kp_fullScreenEnabled(QWidget* window) {
    return window->property(kFullScreenProperty).toBool();
}
