#include "appearance/rl_helpers.h"

#include <QGuiApplication>

bool RLHelpers::isDarkMode() {
    return isDarkMode(DesktopColorScheme::sessionScheme(), QGuiApplication::palette());
}

bool RLHelpers::isDarkMode(const DesktopColorScheme& scheme, const QPalette& palette) {
    if (const std::optional<bool> dark = scheme.prefersDark()) return *dark;
    // Dark palettes put light text on a darker window.
    return palette.color(QPalette::WindowText).lightness() >
           palette.color(QPalette::Window).lightness();
}
