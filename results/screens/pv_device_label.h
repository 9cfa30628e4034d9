#pragma once

#include <QIcon>
#include <QWidget>

#include "appearance/theme_update.h"

// The volume a scan looks at, as the device label shows it.
struct PVDeviceButtonModel {
    static constexpr char kNoName[] = "NO NAME";

    QString path;
    QString name;
    QIcon image;
    bool hideDropdownIndicator = false;

    // The volume that holds the folder: its label, else its device's name.
    static PVDeviceButtonModel modelForVolumeHolding(const QString& folder);
};

// The name and icon of the scanned volume above the sidebar.
class PVDeviceLabel : public QWidget, public KPThemeUpdateProtocol {
    Q_OBJECT
public:
    static constexpr int kIconSize = 16;

    explicit PVDeviceLabel(QWidget* parent = nullptr);

    const PVDeviceButtonModel& deviceInfo() const { return deviceInfo_; }
    void setDeviceInfo(const PVDeviceButtonModel& info);

    QSize sizeHint() const override;
    void applyTheme() override { update(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont font() const;

    PVDeviceButtonModel deviceInfo_;
    KPThemeObserver themeObserver_;
};
