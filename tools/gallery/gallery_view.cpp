#include "tools/gallery/gallery_view.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <functional>
#include <memory>

#include "appearance/image_tinting.h"
#include "appearance/kp_button.h"
#include "appearance/kp_image_view.h"
#include "appearance/kp_table_view.h"
#include "appearance/kp_text_field.h"
#include "appearance/kp_theme_manager.h"
#include "appearance/kp_yosemite_button.h"
#include "appearance/pv_progress_view.h"
#include "appearance/qrk_spinning_progress_indicator.h"
#include "appearance/tg_switch.h"
#include "appearance/theme_selection.h"
#include "tools/gallery/gallery_widgets.h"

namespace {

KPThemableTextField* sectionTitle(const QString& text) {
    return galleryLabel(text, "semiBoldTextFont", "textColor");
}

// A section's grid, its title on the first row across `span` columns.
QGridLayout* sectionGrid(QWidget* section, const char* title, int columnSpacing, int span) {
    auto* grid = new QGridLayout(section);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(columnSpacing);
    grid->setVerticalSpacing(10);
    grid->addWidget(sectionTitle(title), 0, 0, 1, span);
    return grid;
}

KPThemableTextField* caption(const QString& text) {
    return galleryLabel(text, "sidebarTableSubtitleFont", "sidebarTableSubtitleColor");
}

void sendMouse(QWidget* widget, QEvent::Type type, QPointF position) {
    QMouseEvent event(type, position, widget->mapToGlobal(position), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

struct Variant {
    const char* name;
    std::function<std::unique_ptr<KPYosemiteButtonCell>()> make;
};

template <class Cell>
Variant variant(const char* name) {
    return {name, [] { return std::make_unique<Cell>(); }};
}

}  // namespace

void galleryUseTheme(bool dark) {
    SWThemeSelection::registerThemes();
    KPThemeManager::sharedManager().changeTheme(dark ? "SWDarkTheme" : "SWLightTheme");
}

GalleryView::GalleryView(QWidget* parent) : KPThemableView(parent) {
    setBackgroundColorKey("windowColor");
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(28, 24, 28, 28);
    columns->setSpacing(40);

    auto* left = new QVBoxLayout;
    left->setSpacing(12);
    left->addWidget(
        galleryLabel("Appearance", "overlayWindowTitleFont", "overlayWindowTitleColor"));
    left->addWidget(buttonSection());
    left->addSpacing(8);
    left->addWidget(switchSection());
    left->addStretch();
    columns->addLayout(left);

    auto* right = new QVBoxLayout;
    right->setSpacing(12);
    right->addWidget(progressSection());
    right->addSpacing(8);
    right->addWidget(imageAndRowSection());
    right->addSpacing(8);
    right->addWidget(textSection());
    right->addStretch();
    columns->addLayout(right);
}

QWidget* GalleryView::buttonSection() {
    auto* section = new QWidget;
    auto* grid = sectionGrid(section, "Buttons", 14, 5);
    const QStringList states = {"Normal", "Hovered", "Pressed", "Disabled"};
    for (int column = 0; column < states.size(); ++column) {
        grid->addWidget(caption(states[column]), 1, column + 1, Qt::AlignHCenter);
    }
    const QList<Variant> variants = {
        variant<KPNormalYosemiteButton>("Normal"),
        variant<KPBlueYosemiteButtonCell>("Blue"),
        variant<KPGreenYosemiteButtonCell>("Green"),
        variant<KPGrayYosemiteButtonCell>("Gray"),
        variant<KPRedYosemiteButtonCell>("Red"),
        variant<KPTealYosemiteButtonCell>("Teal"),
        variant<KPUpdatedBlueYosemiteButtonCell>("Updated blue"),
    };
    for (int row = 0; row < variants.size(); ++row) {
        grid->addWidget(caption(variants[row].name), row + 2, 0);
        for (int column = 0; column < states.size(); ++column) {
            auto* button = galleryButton(variants[row].make(), "Remove Files", QSize(140, 32));
            if (column == 1) button->buttonCell().setHovered(true);
            if (column == 2) button->buttonCell().setMouseDown(true);
            if (column == 3) button->setEnabled(false);
            grid->addWidget(button, row + 2, column + 1);
        }
    }
    return section;
}

QWidget* GalleryView::switchSection() {
    auto* section = new QWidget;
    auto* grid = sectionGrid(section, "Switches", 18, 8);
    const QStringList states = {"Off",      "On",          "Pressed", "Dragged on",
                                "Disabled", "Disabled on", "Focused"};
    for (int column = 0; column < states.size(); ++column) {
        grid->addWidget(caption(states[column]), 1, column + 1, Qt::AlignHCenter);
    }
    const QList<QSize> sizes = {QSize(38, 22), QSize(30, 18)};
    for (int row = 0; row < sizes.size(); ++row) {
        grid->addWidget(
            caption(QStringLiteral("%1 × %2").arg(sizes[row].width()).arg(sizes[row].height())),
            row + 2, 0);
        for (int column = 0; column < states.size(); ++column) {
            auto* control = new SWThemableTGSwitch;
            control->setAccessibleName(QStringLiteral("%1, %2 × %3")
                                           .arg(states[column])
                                           .arg(sizes[row].width())
                                           .arg(sizes[row].height()));
            control->setDisabledBorderColorKey("switchBorderColor");
            control->setFixedSize(sizes[row]);
            control->setChecked(column == 1 || column == 5, false);
            const QPointF middle(sizes[row].width() / 2.0, sizes[row].height() / 2.0);
            if (column == 2 || column == 3) sendMouse(control, QEvent::MouseButtonPress, middle);
            if (column == 3) {
                sendMouse(control, QEvent::MouseMove, QPointF(sizes[row].width() - 2, middle.y()));
            }
            if (column == 4 || column == 5) control->setEnabled(false);
            if (column == 6 && row == 0) focusedSwitch_ = control;
            grid->addWidget(control, row + 2, column + 1, Qt::AlignHCenter);
        }
    }
    return section;
}

QWidget* GalleryView::progressSection() {
    auto* section = new QWidget;
    auto* grid = sectionGrid(section, "Progress", 18, 6);

    const QStringList spinnerStates = {"Timer", "Thread", "Stopped", "25 %", "60 %", "Selected"};
    for (int column = 0; column < spinnerStates.size(); ++column) {
        grid->addWidget(caption(spinnerStates[column]), 1, column, Qt::AlignHCenter);
        auto* spinner = new PVThemableSpinningProgressIndicator;
        spinner->setTintColorKey("progressIndicatorColor");
        spinner->setFixedSize(28, 28);
        QWidget* cell = spinner;
        switch (column) {
            case 0:
                spinner->startAnimation();
                break;
            case 1:
                spinner->setUsesThreadedAnimation(true);
                spinner->startAnimation();
                break;
            case 2:
                spinner->setDisplayedWhenStopped(true);
                break;
            case 3:
            case 4:
                spinner->setDisplayedWhenStopped(true);
                spinner->setCurrentValue(column == 3 ? 25 : 60);
                break;
            default: {
                auto* row = new KPThemableView;
                row->setBackgroundColorKey("sidebarTableSelectedBackgroundColor");
                row->setCornerRadius(4);
                row->setFixedSize(44, 36);
                auto* layout = new QHBoxLayout(row);
                layout->setContentsMargins(0, 0, 0, 0);
                layout->addWidget(spinner, 0, Qt::AlignCenter);
                spinner->setBackgroundStyle(
                    PVThemableSpinningProgressIndicator::kEmphasizedBackgroundStyle);
                spinner->startAnimation();
                cell = row;
            }
        }
        grid->addWidget(cell, 2, column, Qt::AlignCenter);
    }

    const std::map<double, QColor> thresholds = {{0.0, QColor::fromRgbF(0.3f, 0.75f, 0.35f)},
                                                 {0.75, QColor::fromRgbF(0.98f, 0.6f, 0.1f)},
                                                 {0.9, QColor::fromRgbF(0.9f, 0.2f, 0.2f)}};
    const QList<double> values = {0.0, 0.5, 0.8, 0.95};
    for (int i = 0; i < values.size(); ++i) {
        auto* bar = new PVThemableProgressView;
        bar->setFillColors(thresholds);
        bar->setDoubleValue(values[i]);
        bar->setFixedSize(150, i % 2 ? 11 : 10);
        grid->addWidget(
            caption(QStringLiteral("%1 %, %2 px").arg(values[i] * 100).arg(bar->height())), 3 + i,
            0, 1, 2);
        grid->addWidget(bar, 3 + i, 2, 1, 4, Qt::AlignVCenter);
    }
    auto* themed = new PVThemableProgressView;
    themed->setFillColorKey("progressFillColor");
    themed->setBackgroundColorKey("progressBackgroundColor");
    themed->setDoubleValue(0.4);
    themed->setFixedSize(150, 10);
    grid->addWidget(caption("Theme keys"), 7, 0, 1, 2);
    grid->addWidget(themed, 7, 2, 1, 4, Qt::AlignVCenter);
    return section;
}

QWidget* GalleryView::imageAndRowSection() {
    auto* section = new QWidget;
    auto* layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(sectionTitle("Images and rows"));

    auto* images = new QHBoxLayout;
    images->setSpacing(14);
    const QList<std::pair<const char*, const char*>> imageNames = {
        {"icon-help-dark", "Help"}, {"icon-settings-dark", "Settings"}};
    for (const auto& [name, title] : imageNames) {
        auto* view = new KPThemableImageView;
        view->setImage(kp_imageWithName(name));
        view->setTintColorKey("sidebarTableImageColor");
        view->setFixedSize(20, 20);
        images->addWidget(view);
        auto* button = new KPThemableImageButton;
        button->setAccessibleName(title);
        button->setImage(kp_imageWithName(name));
        button->setTintColorKey("spaceLabelColor");
        button->setFixedSize(24, 24);
        images->addWidget(button);
    }
    auto* themedButton = new KPThemableButton;
    themedButton->setAccessibleName(QStringLiteral("Settings"));
    themedButton->setImageKey("settingsIconImage");
    themedButton->setAlternateImageKey("settingsIconAlternateImage");
    themedButton->setFixedSize(24, 24);
    images->addWidget(themedButton);
    images->addStretch();
    layout->addLayout(images);

    struct Row {
        const char* title;
        const char* size;
        bool selected;
        bool group;
    };
    for (const Row& r :
         {Row{"Application Caches", "1.24 GB", false, false},
          Row{"Browser Caches", "312.50 MB", true, false}, Row{"Login Items", "", false, true}}) {
        auto* row = new KPThemableTableRowView;
        row->setFixedHeight(r.group ? 28 : 40);
        row->setSeparatorColorKey(r.group ? "" : "detailsTableSeparatorColor");
        row->setSelectedBackgroundColorKey("sidebarTableSelectedBackgroundColor");
        if (r.group) row->setBackgroundColorKey("sidebarDisabledTitleBackgroundColor");
        row->setSelected(r.selected);
        auto* rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(12, 0, 12, 0);
        rowLayout->setSpacing(10);
        const int style = r.selected ? KPTableTextField::kEmphasizedBackgroundStyle : 0;
        if (!r.group) {
            auto* image = new KPTableImageView;
            image->setImage(kp_imageWithName("icon-settings-dark"));
            image->setBackgroundStyle(style);
            image->setFixedSize(18, 18);
            rowLayout->addWidget(image);
        }
        auto* title = new KPThemableTableTextField;
        title->setText(r.title);
        title->setFontKey(r.group ? "sidebarDisabledTitleFont" : "sidebarTableTitleFont");
        title->setTextColorKey(r.group ? "sidebarDisabledTitleColor" : "sidebarTableTitleColor");
        title->setBackgroundStyle(style);
        rowLayout->addWidget(title, 1);
        if (!r.group) {
            auto* size = new KPThemableTableTextField;
            size->setText(r.size);
            size->setFontKey("sidebarTableSubtitleFont");
            size->setTextColorKey("sidebarTableSubtitleColor");
            size->setBackgroundStyle(style);
            rowLayout->addWidget(size);
            auto* control = new SWThemableTGSwitch;
            control->setAccessibleName(r.title);
            control->setDisabledBorderColorKey("switchBorderColor");
            control->setFixedSize(30, 18);
            control->setChecked(r.selected, false);
            rowLayout->addWidget(control);
        }
        layout->addWidget(row);
    }

    auto* card = new EOContainerView;
    card->setFixedHeight(86);
    auto* cardLayout = new QVBoxLayout(card);
    cardLayout->setContentsMargins(20, 14, 20, 14);
    cardLayout->addWidget(galleryLabel("Clean up 1.55 GB?", "popoverTitleFont", "textColor"));
    cardLayout->addWidget(galleryLabel("The selected files are removed at once.",
                                       "errorViewSubtitleFont", "sidebarTableSubtitleColor"));
    layout->addWidget(card);
    return section;
}

QWidget* GalleryView::textSection() {
    auto* section = new QWidget;
    auto* layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(sectionTitle("Text"));
    const QList<std::pair<const char*, const char*>> samples = {
        {"textFont", "textColor"},
        {"boldTextFont", "textColor"},
        {"semiBoldTextFont", "textColor"},
        {"deviceHeaderFont", "deviceHeaderColor"},
        {"detailsTableHeaderFont", "detailsTableHeaderColor"},
        {"bottomToolbarLabelFont", "spaceLabelColor"},
        {"errorViewSubtitleFont", "sidebarTableSubtitleColor"}};
    for (const auto& [font, color] : samples) {
        layout->addWidget(galleryLabel(QStringLiteral("%1 · %2").arg(font, color), font, color));
    }
    return section;
}

void GalleryView::focusSwitch() {
    if (focusedSwitch_) focusedSwitch_->setFocus(Qt::TabFocusReason);
}
