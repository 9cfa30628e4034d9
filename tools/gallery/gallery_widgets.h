#pragma once

#include <QSize>
#include <QString>
#include <memory>

class KPThemableTextField;
class KPYosemiteButton;
class KPYosemiteButtonCell;

// A line of text in a theme's font and colour.
KPThemableTextField* galleryLabel(const QString& text, const char* fontKey, const char* colorKey);
// A drawn button of the given size with the title in the buttons' theme font.
KPYosemiteButton* galleryButton(std::unique_ptr<KPYosemiteButtonCell> cell, const QString& title,
                                QSize size);
