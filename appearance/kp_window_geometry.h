#pragma once

#include <QRect>
#include <QSizeF>
#include <QWidget>

// The window operations the navigation stack and the popovers resize windows with.
// The content is the window's content view (the whole client area of a window whose
// content reaches its top edge).

// The height of the header a window's content draws at its top, under the window buttons.
inline constexpr qreal kKPWindowHeaderHeight = 37;

// The animated window resize lasts this long.
inline constexpr int kKPWindowResizeMilliseconds = 100;

// The frame that gives the window content of the given size, growing or shrinking
// around the horizontal centre and keeping the top edge; thickness is added to the
// height for windows with a border of their own.
QRect kp_frameForContentSize(QWidget* window, QSizeF size, qreal thickness);

void kp_setContentSize(QWidget* window, QSizeF size, bool animated, qreal customBorderThickness);
void kp_setContentSize(QWidget* window, QSizeF size, bool animated);
// The same geometry without thickness, moved at once or over the same short animation.
void kp_originalSetContentSize(QWidget* window, QSizeF size, bool animated);
// The content below the 37-point header.
QSizeF kp_contentSize(QWidget* window);
bool kp_isFullScreen(QWidget* window);
void kp_setResizable(QWidget* window, bool resizable);
// Windows are resizable until told otherwise.
bool kp_isResizable(QWidget* window);
// Whether the zoom button takes the window to full screen rather than maximising it.
void kp_enableFullScreen(QWidget* window);
void kp_disableFullScreen(QWidget* window);
bool kp_fullScreenEnabled(QWidget* window);
