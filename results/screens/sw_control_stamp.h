#pragma once

#include <QPixmap>
#include <QSize>
#include <memory>

class QPainter;
class QWidget;

// One of the kit's controls kept off screen and drawn into an image wherever a table
// wants it, so that a table of many rows holds no widget per row. The image is drawn by a
// painter of its own, on nothing (a grab would lay the window's background under it), so
// it also works inside a window's grab.
class SWControlStamp {
public:
    // Takes the control; it is laid out at that size once and never shown on screen.
    SWControlStamp(QWidget* control, QSize size);
    ~SWControlStamp();

    QWidget* control() const { return control_.get(); }
    QSize size() const { return size_; }
    // The control as it is now, at the pixel ratio of the painter's device.
    QPixmap image(const QPainter* painter) const;
    // Draws the control centred in a rectangle.
    void paintCentred(QPainter* painter, const QRect& rect) const;
    // Where paintCentred puts it.
    QRect centredRect(const QRect& rect) const;

private:
    std::unique_ptr<QWidget> control_;
    QSize size_;
};
