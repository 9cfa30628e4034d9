#pragma once

#include "appearance/kp_view.h"

// Every control of the appearance kit, in each of its states, on the theme's window
// colour. Follows theme changes like any themed view.
class GalleryView : public KPThemableView {
    Q_OBJECT
public:
    explicit GalleryView(QWidget* parent = nullptr);

    // Gives the keyboard focus to the switch that shows the focused state (the window
    // must be active).
    void focusSwitch();

private:
    QWidget* buttonSection();
    QWidget* switchSection();
    QWidget* progressSection();
    QWidget* imageAndRowSection();
    QWidget* textSection();

    QWidget* focusedSwitch_ = nullptr;
};

// Registers the light and dark themes and makes one current.
void galleryUseTheme(bool dark);
