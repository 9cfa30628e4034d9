#include "results/screens/pv_device_label.h"

#include <QFileInfo>
#include <QPainter>
#include <QStorageInfo>

#include "appearance/kp_theme_manager.h"

namespace {
constexpr int kSpacing = 6;
}

PVDeviceButtonModel PVDeviceButtonModel::modelForVolumeHolding(const QString& folder) {
    const QStorageInfo storage(folder);
    PVDeviceButtonModel model;
    model.path = storage.rootPath();
    model.name = storage.name();
    if (model.name.isEmpty())
        model.name = QFileInfo(QString::fromLocal8Bit(storage.device())).fileName();
    if (model.name.isEmpty()) model.name = QLatin1String(kNoName);
    model.image = QIcon::fromTheme(QStringLiteral("drive-harddisk"));
    return model;
}

PVDeviceLabel::PVDeviceLabel(QWidget* parent) : QWidget(parent) {
    themeObserver_.configure(*this);
}

void PVDeviceLabel::setDeviceInfo(const PVDeviceButtonModel& info) {
    deviceInfo_ = info;
    setAccessibleName(QStringLiteral("Drive: %1").arg(info.name));
    updateGeometry();
    update();
}

QFont PVDeviceLabel::font() const {
    return KPThemeManager::sharedManager()
        .fontForKey(QStringLiteral("deviceHeaderFont"))
        .value_or(QWidget::font());
}

QSize PVDeviceLabel::sizeHint() const {
    const QFontMetrics metrics(font());
    return QSize(kIconSize + kSpacing + metrics.horizontalAdvance(deviceInfo_.name),
                 std::max(kIconSize, metrics.height()));
}

void PVDeviceLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int iconTop = (height() - kIconSize) / 2;
    deviceInfo_.image.paint(&painter, QRect(0, iconTop, kIconSize, kIconSize));
    painter.setFont(font());
    painter.setPen(
        KPThemeManager::sharedManager().colorForKey(QStringLiteral("deviceHeaderColor")));
    painter.drawText(rect().adjusted(kIconSize + kSpacing, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignVCenter, deviceInfo_.name);
}
