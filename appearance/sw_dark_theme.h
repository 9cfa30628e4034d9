#pragma once

#include "appearance/sw_light_theme.h"

// The dark theme: the light theme with the keys that differ, and the keys only the
// dark look needs.
class SWDarkTheme : public SWLightTheme {
    Q_OBJECT
public:
    static SWDarkTheme& sharedTheme() { return KPTheme::sharedTheme<SWDarkTheme>(); }

    QString themeName() const override { return QStringLiteral("Dark"); }

    QVariant windowColor() const override;
    QVariant windowHeaderColor() const override;
    QVariant windowHeaderSeparatorColor() const override;
    QVariant textColor() const override;
    QVariant deviceHeaderColor() const override;
    QVariant deviceHeaderBackgroundColor() const override;
    QVariant deviceHeaderBorderColor() const override;
    QVariant sidebarColor() const override;
    QVariant sidebarTableTitleColor() const override;
    QVariant sidebarTableSubtitleColor() const override;
    QVariant progressIndicatorColor() const override;
    QVariant sidebarTableImageColor() const override;
    QVariant sidebarTableSelectedBackgroundColor() const override;
    QVariant switchBorderColor() const override;
    QVariant sidebarDisabledTitleBackgroundColor() const override;
    QVariant sidebarDisabledTitleColor() const override;
    QVariant detailsTableSeparatorColor() const override;
    QVariant detailsTableHeaderColor() const override;
    QVariant detailsInfoBackgroundColor() const override;
    QVariant detailsInfoBorderColor() const override;
    QVariant spaceLabelColor() const override;

    Q_INVOKABLE QVariant tableHeaderSeparatorColor() const;
    Q_INVOKABLE QVariant titleHeaderColor() const;
    Q_INVOKABLE QVariant tableTitleColor() const;
    Q_INVOKABLE QVariant tableValueColor() const;
    Q_INVOKABLE QVariant popoverTitleColor() const;
    Q_INVOKABLE QVariant popoverTextColor() const;
    Q_INVOKABLE QVariant progressBackgroundColor() const;
    Q_INVOKABLE QVariant progressFillColor() const;
    Q_INVOKABLE QVariant spinningProgressColor() const;
    Q_INVOKABLE QVariant buttonBackgroundColor() const;
    Q_INVOKABLE QVariant buttonBackgroundColorPressed() const;
    Q_INVOKABLE QVariant buttonStrokeColor() const;
    Q_INVOKABLE QVariant buttonStrokeColorPressed() const;
    Q_INVOKABLE QVariant helpIconImage() const;
    Q_INVOKABLE QVariant helpIconAlternateImage() const;
    Q_INVOKABLE QVariant settingsIconImage() const;
    Q_INVOKABLE QVariant settingsIconAlternateImage() const;

protected:
    SWDarkTheme() = default;
    friend class KPTheme;
};
