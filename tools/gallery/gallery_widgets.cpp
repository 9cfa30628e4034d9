#include "tools/gallery/gallery_widgets.h"

#include "appearance/kp_text_field.h"
#include "appearance/kp_theme_manager.h"
#include "appearance/kp_yosemite_button.h"

KPThemableTextField* galleryLabel(const QString& text, const char* fontKey, const char* colorKey) {
    auto* field = new KPThemableTextField;
    field->setText(text);
    field->setFontKey(fontKey);
    field->setTextColorKey(colorKey);
    return field;
}

KPYosemiteButton* galleryButton(std::unique_ptr<KPYosemiteButtonCell> cell, const QString& title,
                                QSize size) {
    auto* button = new KPYosemiteButton(std::move(cell), title);
    if (const auto font = KPThemeManager::sharedManager().fontForKey("errorViewLabelFont")) {
        button->setFont(*font);
    }
    button->setFixedSize(size);
    return button;
}
