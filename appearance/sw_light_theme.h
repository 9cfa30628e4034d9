#pragma once

#include <QFont>
#include <optional>

#include "appearance/kp_theme.h"

// The light theme: every theme key of the program. Keys defined in terms of others
// ("= textColor", "textColor at alpha 0.7") call the other accessor virtually, so a
// subclass that overrides it changes both.
class SWLightTheme : public KPTheme {
    Q_OBJECT
public:
    static SWLightTheme& sharedTheme() { return KPTheme::sharedTheme<SWLightTheme>(); }

    QString themeName() const override { return QStringLiteral("Light"); }

    // The four faces of the themes' one family; none when the face is not installed.
    std::optional<QFont> fontOfSize(double size) const;
    std::optional<QFont> mediumFontOfSize(double size) const;
    std::optional<QFont> semiboldFontOfSize(double size) const;
    std::optional<QFont> boldFontOfSize(double size) const;
    QString baseFontName() const;
    double baseFontSize() const { return 14.0; }

    Q_INVOKABLE virtual QVariant windowColor() const;
    Q_INVOKABLE virtual QVariant windowHeaderColor() const;
    Q_INVOKABLE virtual QVariant windowHeaderSeparatorColor() const;
    Q_INVOKABLE virtual QVariant textFont() const;
    Q_INVOKABLE virtual QVariant boldTextFont() const;
    Q_INVOKABLE virtual QVariant semiBoldTextFont() const;
    Q_INVOKABLE virtual QVariant smallSemiBoldTextFont() const;
    Q_INVOKABLE virtual QVariant textColor() const;
    Q_INVOKABLE virtual QVariant deviceHeaderFont() const;
    Q_INVOKABLE virtual QVariant deviceHeaderColor() const;
    Q_INVOKABLE virtual QVariant deviceDropDownIndicatorColor() const;
    Q_INVOKABLE virtual QVariant deviceHeaderBackgroundColor() const;
    Q_INVOKABLE virtual QVariant deviceHeaderBorderColor() const;
    Q_INVOKABLE virtual QVariant sidebarColor() const;
    Q_INVOKABLE virtual QVariant sidebarTableTitleFont() const;
    Q_INVOKABLE virtual QVariant sidebarTableSubtitleFont() const;
    Q_INVOKABLE virtual QVariant sidebarTableTitleColor() const;
    Q_INVOKABLE virtual QVariant sidebarTableSubtitleColor() const;
    Q_INVOKABLE virtual QVariant progressIndicatorColor() const;
    Q_INVOKABLE virtual QVariant sidebarTableImageColor() const;
    Q_INVOKABLE virtual QVariant sidebarTableImageColorActive() const;
    Q_INVOKABLE virtual QVariant sidebarTableSelectedBackgroundColor() const;
    Q_INVOKABLE virtual QVariant switchBorderColor() const;
    Q_INVOKABLE virtual QVariant sidebarDisabledTitleBackgroundColor() const;
    Q_INVOKABLE virtual QVariant sidebarDisabledTitleColor() const;
    Q_INVOKABLE virtual QVariant sidebarDisabledTitleFont() const;
    Q_INVOKABLE virtual QVariant detailsTableTitleFont() const;
    Q_INVOKABLE virtual QVariant detailsTableTitleColor() const;
    Q_INVOKABLE virtual QVariant detailsTableSeparatorColor() const;
    Q_INVOKABLE virtual QVariant detailsTableHeaderColor() const;
    Q_INVOKABLE virtual QVariant detailsTableHeaderFont() const;
    Q_INVOKABLE virtual QVariant detailTableSelectedBackgroundColor() const;
    Q_INVOKABLE virtual QVariant detailsInfoIconColor() const;
    Q_INVOKABLE virtual QVariant detailsInfoBackgroundColor() const;
    Q_INVOKABLE virtual QVariant detailsInfoBorderColor() const;
    Q_INVOKABLE virtual QVariant popoverOverlayBackgroundColor() const;
    Q_INVOKABLE virtual QVariant popoverOverlayBackgroundColorOnboarding() const;
    Q_INVOKABLE virtual QVariant popoverBackgroundColor() const;
    Q_INVOKABLE virtual QVariant popoverTitleFont() const;
    Q_INVOKABLE virtual QVariant bottomToolbarLabelHeaderColor() const;
    Q_INVOKABLE virtual QVariant bottomToolbarLabelHeaderFont() const;
    Q_INVOKABLE virtual QVariant bottomToolbarLabelColor() const;
    Q_INVOKABLE virtual QVariant bottomToolbarLabelFont() const;
    Q_INVOKABLE virtual QVariant overlayWindowTitleFont() const;
    Q_INVOKABLE virtual QVariant overlayWindowTitleColor() const;
    Q_INVOKABLE virtual QVariant errorViewSubtitleFont() const;
    Q_INVOKABLE virtual QVariant errorViewLabelFont() const;
    Q_INVOKABLE virtual QVariant spaceLabelColor() const;

protected:
    SWLightTheme();
    friend class KPTheme;

    static QVariant rgb(double red, double green, double blue);
    static QVariant white(double white, double alpha = 1.0);
    // The colour of `color` with its alpha replaced; none stays none.
    static QVariant withAlpha(const QVariant& color, double alpha);
    static QVariant fontValue(const std::optional<QFont>& font);
};
