#pragma once

#include <QIcon>
#include <QRectF>

#include "appearance/kp_text_field.h"

class QPainter;

// The volume a scan looks at, as the device label shows it.
struct PVDeviceButtonModel {
    static constexpr char kNoName[] = "NO NAME";

    QString path;
    QString name;
    // Drawn at 16 × 16 points.
    QIcon image;
    bool hideDropdownIndicator = false;

    // The volume that holds the folder: its label, else its device's name.
    static PVDeviceButtonModel modelForVolumeHolding(const QString& folder);
};

// Lays out and draws the device label's content: the icon, the name and the drop-down
// triangle, centred together in the label's frame.
class PVDeviceLabelCell {
public:
    static constexpr qsizetype kLongestName = 20;
    static constexpr char kShortenedNameFormat[] = "%1...";
    static constexpr qreal kIconSize = 16;
    static constexpr qreal kExtraWidth = 2;
    static constexpr qreal kIconGap = 5;
    static constexpr qreal kNameRaise = 2;
    // The name is measured with this much room at each end, which keeps the triangle,
    // drawn inside the name's rectangle, clear of the text.
    static constexpr qreal kNamePadding = 5;
    static constexpr qreal kTriangleInset = 5;
    static constexpr qreal kTriangleWidth = 7;
    static constexpr qreal kTriangleHeight = 5;
    static constexpr char kDropDownColorKey[] = "deviceDropDownIndicatorColor";

    // Where each piece goes; the triangle's rectangle is empty when it is hidden.
    struct Layout {
        QString name;
        QRectF content;
        QRectF icon;
        QRectF nameRect;
        QRectF triangle;
    };

    // The model belongs to the label.
    const PVDeviceButtonModel* deviceInfo() const { return deviceInfo_; }
    void setDeviceInfo(const PVDeviceButtonModel* info) { deviceInfo_ = info; }

    // Names longer than kLongestName characters are cut and marked as cut.
    static QString shownName(const QString& name);
    // `stringValue` stands in for a model without a name.
    Layout layoutInFrame(const QRectF& frame, const QFont& font, const QString& stringValue) const;
    void drawInteriorWithFrame(QPainter& painter, const QRectF& frame, const QFont& font,
                               const QColor& textColor, const QString& stringValue) const;

private:
    const PVDeviceButtonModel* deviceInfo_ = nullptr;
};

// The name and icon of the scanned volume above the sidebar. It is a button as well:
// a click, Space or Return opens the drive information window.
class PVDeviceLabel : public KPThemableTextField {
    Q_OBJECT
public:
    explicit PVDeviceLabel(QWidget* parent = nullptr);

    const PVDeviceButtonModel& deviceInfo() const { return deviceInfo_; }
    void setDeviceInfo(const PVDeviceButtonModel& info);
    const PVDeviceLabelCell& cell() const { return cell_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    void click() { emit clicked(); }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    PVDeviceButtonModel deviceInfo_;
    PVDeviceLabelCell cell_;
};
