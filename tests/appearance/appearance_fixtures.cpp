#include "tests/appearance/appearance_fixtures.h"

#include <QPainter>
#include <QWidget>

#include "appearance/kp_theme_manager.h"
#include "appearance/theme_selection.h"
#include "base/notification_center.h"

void useTheme(const char* className) {
    SWThemeSelection::registerThemes();
    KPThemeManager::sharedManager().changeTheme(QString::fromLatin1(className));
}

ThemeUpdateCounter::ThemeUpdateCounter() {
    connection_ = QObject::connect(&NotificationCenter::defaultCenter(),
                                   &NotificationCenter::notificationPosted,
                                   [this](const QString& name, const void* object) {
                                       if (name == KPThemeManager::kThemeDidUpdateNotification &&
                                           object == &KPThemeManager::sharedManager()) {
                                           ++count_;
                                       }
                                   });
}

ThemeUpdateCounter::~ThemeUpdateCounter() {
    QObject::disconnect(connection_);
}

QColor rgb(double red, double green, double blue, double alpha) {
    return QColor::fromRgbF(float(red), float(green), float(blue), float(alpha));
}

bool sameColor(const QColor& a, const QColor& b) {
    return a.isValid() == b.isValid() && a.rgba() == b.rgba();
}

bool near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance &&
           std::abs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

QImage render(QWidget& widget, qreal ratio) {
    QImage image(widget.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image.convertToFormat(QImage::Format_ARGB32);
}
