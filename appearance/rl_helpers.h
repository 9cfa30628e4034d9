#pragma once

#include <QPalette>

#include "appearance/desktop_color_scheme.h"

class RLHelpers {
public:
    // Whether the desktop looks dark: its portal's colour-scheme preference, else the
    // lightness of the application's palette (Qt 6.4 reports no colour scheme itself).
    static bool isDarkMode();
    static bool isDarkMode(const DesktopColorScheme& scheme, const QPalette& palette);
};
