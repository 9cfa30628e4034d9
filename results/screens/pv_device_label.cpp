#include "results/screens/pv_device_label.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStorageInfo>
#include <QStyle>
#include <cmath>

#include "appearance/kp_theme_manager.h"

namespace {

// Room around the content for the keyboard focus ring.
constexpr int kFocusMargin = 4;
constexpr qreal kFocusRadius = 4;

// Assistive technology sees the label as the button it is, and can press it.
class DeviceLabelAccessible : public QAccessibleWidget {
public:
    explicit DeviceLabelAccessible(PVDeviceLabel* label)
        : QAccessibleWidget(label, QAccessible::Button) {}

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        if (name == pressAction())
            static_cast<PVDeviceLabel*>(widget())->click();
        else
            QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface* deviceLabelAccessible(const QString& className, QObject* object) {
    if (className != QLatin1String(PVDeviceLabel::staticMetaObject.className())) return nullptr;
    return new DeviceLabelAccessible(static_cast<PVDeviceLabel*>(object));
}

}  // namespace

PVDeviceButtonModel PVDeviceButtonModel::modelForVolumeHolding(const QString& folder) {
    const QStorageInfo storage(folder);
    PVDeviceButtonModel model;
    model.path = storage.rootPath();
    model.name = storage.name();
    if (model.name.isEmpty())
        model.name = QFileInfo(QString::fromLocal8Bit(storage.device())).fileName();
    if (model.name.isEmpty()) model.name = QLatin1String(kNoName);
    // Desktops without an icon theme still get a drive, the style's own.
    model.image = QIcon::fromTheme(QStringLiteral("drive-harddisk"),
                                   QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon));
    return model;
}

QString PVDeviceLabelCell::shownName(const QString& name) {
    if (name.size() <= kLongestName) return name;
    return QString::fromLatin1(kShortenedNameFormat).arg(name.left(kLongestName));
}

PVDeviceLabelCell::Layout PVDeviceLabelCell::layoutInFrame(const QRectF& frame, const QFont& font,
                                                           const QString& stringValue) const {
    Layout layout;
    const bool hasName = deviceInfo_ && !deviceInfo_->name.isEmpty();
    layout.name = shownName(hasName ? deviceInfo_->name : stringValue);
    const bool hasIcon = deviceInfo_ && !deviceInfo_->image.isNull();
    const bool hasTriangle = deviceInfo_ && !deviceInfo_->hideDropdownIndicator;
    const qreal iconWidth = hasIcon ? kIconSize : 0;
    const qreal triangleWidth = hasTriangle ? kTriangleWidth : 0;
    const qreal nameWidth =
        std::ceil(QFontMetricsF(font).horizontalAdvance(layout.name) + 2 * kNamePadding);
    const qreal contentWidth = iconWidth + nameWidth + kExtraWidth + triangleWidth;
    layout.content =
        QRectF(frame.center().x() - contentWidth / 2, frame.y(), contentWidth, frame.height());
    layout.icon =
        QRectF(layout.content.x(), frame.center().y() - iconWidth / 2, iconWidth, iconWidth);
    layout.nameRect =
        QRectF(layout.icon.right() + kIconGap, frame.y() - kNameRaise, nameWidth, frame.height());
    if (hasTriangle) {
        layout.triangle =
            QRectF(layout.nameRect.right() - kTriangleInset,
                   frame.center().y() - kTriangleHeight / 2, kTriangleWidth, kTriangleHeight);
    }
    return layout;
}

void PVDeviceLabelCell::drawInteriorWithFrame(QPainter& painter, const QRectF& frame,
                                              const QFont& font, const QColor& textColor,
                                              const QString& stringValue) const {
    const Layout layout = layoutInFrame(frame, font, stringValue);
    if (!layout.icon.isEmpty()) deviceInfo_->image.paint(&painter, layout.icon.toRect());
    painter.setFont(font);
    painter.setPen(textColor);
    painter.drawText(layout.nameRect, Qt::AlignLeft | Qt::AlignVCenter, layout.name);
    if (layout.triangle.isEmpty()) return;
    QPainterPath triangle;
    triangle.moveTo(layout.triangle.topLeft());
    triangle.lineTo(layout.triangle.topRight());
    triangle.lineTo(layout.triangle.center().x(), layout.triangle.bottom());
    triangle.closeSubpath();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(triangle, KPThemeManager::sharedManager().colorForKey(
                                   QString::fromLatin1(kDropDownColorKey)));
}

PVDeviceLabel::PVDeviceLabel(QWidget* parent) : KPThemableTextField(parent) {
    [[maybe_unused]] static const bool accessibleAsButton =
        (QAccessible::installFactory(deviceLabelAccessible), true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setFontKey(QStringLiteral("deviceHeaderFont"));
    setTextColorKey(QStringLiteral("deviceHeaderColor"));
    cell_.setDeviceInfo(&deviceInfo_);
}

void PVDeviceLabel::setDeviceInfo(const PVDeviceButtonModel& info) {
    deviceInfo_ = info;
    setAccessibleName(QStringLiteral("Drive: %1").arg(info.name));
    updateGeometry();
    update();
}

QSize PVDeviceLabel::sizeHint() const {
    const PVDeviceLabelCell::Layout layout = cell_.layoutInFrame(QRectF(), font(), text());
    const int height = std::max(int(PVDeviceLabelCell::kIconSize), fontMetrics().height());
    return QSize(int(std::ceil(layout.content.width())), height) +
           QSize(2 * kFocusMargin, 2 * kFocusMargin);
}

void PVDeviceLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    cell_.drawInteriorWithFrame(painter, rect(), font(), textColor(), text());
    if (!hasFocus()) return;
    const QRectF content = cell_.layoutInFrame(rect(), font(), text()).content;
    QColor ring = textColor();
    ring.setAlphaF(0.5f * ring.alphaF());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ring, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(content.adjusted(-kFocusMargin, 0.5, kFocusMargin, -0.5), kFocusRadius,
                            kFocusRadius);
}

void PVDeviceLabel::mousePressEvent(QMouseEvent* event) {
    event->setAccepted(event->button() == Qt::LeftButton);
}

void PVDeviceLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool inside = rect().contains(event->position().toPoint());
    event->setAccepted(event->button() == Qt::LeftButton);
    if (event->isAccepted() && inside) click();
}

void PVDeviceLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            click();
            return;
        default:
            KPThemableTextField::keyPressEvent(event);
    }
}
