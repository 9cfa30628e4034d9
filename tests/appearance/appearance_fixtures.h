#pragma once

#include <QColor>
#include <QImage>
#include <QStringList>
#include <memory>

#include "tests/support/recording_system_log.h"

// Makes the shared light and dark themes, registers them once, and makes `className`
// current.
void useTheme(const char* className);

// Counts "KPThemeManagerNotificationThemeDidUpdate" while the object lives.
class ThemeUpdateCounter {
public:
    ThemeUpdateCounter();
    ~ThemeUpdateCounter();
    int count() const { return count_; }

private:
    int count_ = 0;
    QMetaObject::Connection connection_;
};

QColor rgb(double red, double green, double blue, double alpha = 1.0);
// Colours compared at 8 bits a channel, as they are drawn.
bool sameColor(const QColor& a, const QColor& b);
// Whether two pixels are within `tolerance` on every channel.
bool near(QRgb a, QRgb b, int tolerance = 3);

// The widget drawn into an image at the given pixel ratio.
class QWidget;
QImage render(QWidget& widget, qreal ratio = 1.0);
