#pragma once

#include <QColor>
#include <QPainterPath>
#include <QPalette>
#include <QPointF>
#include <QSize>
#include <functional>

class QPainter;
class QWidget;

// Sets one palette colour of the widget; none goes back to the application palette's.
void kp_setPaletteColor(QWidget& widget, QPalette::ColorRole role, const QColor& color);

// A soft shadow as the design gives it: colour, offset (positive y is down here) and
// blur radius (the Gaussian's standard deviation, in device-independent pixels).
struct KPShadow {
    QColor color;
    QPointF offset;
    qreal blurRadius = 0;
};

// Device pixels per point of what the painter draws on: the target's pixel ratio and
// the painter's own scale together. A widget rendered into an image of another density
// still reports its screen's ratio as the painter's device; only the transform knows.
qreal kp_devicePixelRatio(const QPainter& painter);

// Draws the shadow that filling `path` would cast. The blur is computed at the painter's
// device pixel ratio, so shadows stay smooth on high-density screens.
// (Qt's own blur is private API, hence this small box-blur approximation of a Gaussian.)
void kp_drawShadow(QPainter& painter, const QPainterPath& path, const KPShadow& shadow);

// Draws `draw` into a layer of `size` (at the painter's device pixel ratio) and lays the
// layer down at `opacity`, as a whole: a faded control shows no shadow through its own
// opaque parts.
void kp_drawWithOpacity(QPainter& painter, const QSize& size, qreal opacity,
                        const std::function<void(QPainter&)>& draw);
