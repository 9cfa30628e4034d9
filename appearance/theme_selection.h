#pragma once

#include <QObject>
#include <QStringList>

#include "appearance/desktop_color_scheme.h"
#include "base/sw_user_defaults.h"

// Picks the current theme from the theme setting and, when it says to follow the
// system, from the desktop's colour scheme; and picks again whenever either changes.
class SWThemeSelection : public QObject {
    Q_OBJECT
public:
    // Indexed by the setting's value: light, dark.
    static const QStringList kThemeClassNames;
    // After the application's palette changes, the desktop may still be switching over.
    static constexpr int kPaletteSettleDelayMs = 1000;

    // Registers the shared light theme, then the dark one, with the theme manager; later
    // calls do nothing.
    static void registerThemes();

    SWThemeSelection(SWUserDefaults& defaults, DesktopColorScheme& scheme,
                     QObject* parent = nullptr);

    // Changes the theme to the one the setting and the desktop ask for.
    void updateTheme();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SWUserDefaults& defaults_;
    DesktopColorScheme& scheme_;
};
