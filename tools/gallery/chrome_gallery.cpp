#include "tools/gallery/chrome_gallery.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "appearance/kp_custom_window_button_view.h"
#include "appearance/kp_text_field.h"
#include "appearance/kp_theme_manager.h"
#include "appearance/kp_window_geometry.h"
#include "appearance/kp_yosemite_button.h"
#include "tools/gallery/gallery_widgets.h"

namespace {

KPYosemiteButton* button(std::unique_ptr<KPYosemiteButtonCell> cell, const QString& title) {
    return galleryButton(std::move(cell), title, QSize(150, 32));
}

// A card of the given size holding a title, a line of text and a button.
KPThemableView* card(QSize size, const QString& title, const QString& body,
                     KPYosemiteButton* action) {
    auto* view = new KPThemableView;
    view->setBackgroundColorKey(QStringLiteral("popoverBackgroundColor"));
    view->setCornerRadius(8);
    view->resize(size);
    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->addWidget(galleryLabel(title, "overlayWindowTitleFont", "overlayWindowTitleColor"));
    layout->addWidget(galleryLabel(body, "textFont", "textColor"));
    layout->addStretch();
    layout->addWidget(action, 0, Qt::AlignRight);
    return view;
}

}  // namespace

ChromeGallery::ChromeGallery() {
    setBackgroundColorKey(QStringLiteral("windowColor"));
    setTitle(QStringLiteral("Sweepwell"));
    resize(560, 360);
    auto* root = new QWidget;
    auto* column = new QVBoxLayout(root);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* header = new KPThemableView;
    header->setBackgroundColorKey(QStringLiteral("windowHeaderColor"));
    header->setFixedHeight(int(kKPWindowHeaderHeight));
    auto* headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(12, 0, 12, 0);
    headerRow->addWidget(new KPCustomWindowButtonView, 0, Qt::AlignVCenter);
    headerRow->addStretch();
    auto* drive = button(std::make_unique<KPNormalYosemiteButton>(), QStringLiteral("Drive"));
    drive->setFixedSize(80, 24);
    connect(drive, &KPYosemiteButton::clicked, this, &ChromeGallery::showAnchoredPopover);
    headerRow->addWidget(drive);
    anchor_ = drive;
    column->addWidget(header);
    auto* stackView = new QWidget;
    column->addWidget(stackView, 1);
    setActualContentView(root);

    navigation_.setView(stackView);
    navigation_.setWindow(this);
    navigation_.setViewControllers(
        {makeScreen(QStringLiteral("Scan finished"), QStringLiteral("Next"), [this] { push(); })});

    auto* close = button(std::make_unique<KPGreenYosemiteButtonCell>(), QStringLiteral("Done"));
    popover_ = KPViewController::controller<KPPopoverViewController>();
    popover_->setView(card(QSize(360, 170), QStringLiteral("Clean up 1.55 GB?"),
                           QStringLiteral("The selected files are removed at once."), close));
    connect(close, &KPYosemiteButton::clicked, popover_.get(),
            [this] { popover_->dismissPopoverAnimated(true); });

    anchored_ = KPWindowController::controller<SWPopoverWindowController>();
    auto* driveCard = card(
        QSize(240, 120), QStringLiteral("Macintosh HD"), QStringLiteral("120 GB free of 500 GB"),
        button(std::make_unique<KPNormalYosemiteButton>(), QStringLiteral("Close")));
    anchored_->window()->resizeForContentSize(driveCard->size());
    anchored_->window()->setActualContentView(driveCard);
}

KPNavigationController::Screen ChromeGallery::makeScreen(const QString& title,
                                                         const QString& action,
                                                         std::function<void()> onAction) {
    auto* view = new QWidget;
    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(32, 28, 32, 28);
    layout->addWidget(galleryLabel(title, "deviceHeaderFont", "deviceHeaderColor"));
    layout->addWidget(
        galleryLabel(QStringLiteral("Screens slide in from the right and back out to it."),
                     "textFont", "textColor"));
    layout->addStretch();
    auto* row = new QHBoxLayout;
    auto* popoverButton =
        button(std::make_unique<KPNormalYosemiteButton>(), QStringLiteral("Show Popover"));
    connect(popoverButton, &KPYosemiteButton::clicked, this, &ChromeGallery::showPopover);
    row->addWidget(popoverButton);
    row->addStretch();
    auto* actionButton = button(std::make_unique<KPBlueYosemiteButtonCell>(), action);
    connect(actionButton, &KPYosemiteButton::clicked, this, std::move(onAction));
    row->addWidget(actionButton);
    layout->addLayout(row);
    return KPViewController::controllerWithView(view);
}

void ChromeGallery::push() {
    navigation_.pushViewController(
        makeScreen(QStringLiteral("Details"), QStringLiteral("Back"), [this] { pop(); }), true);
}

void ChromeGallery::pop() {
    navigation_.popViewControllerAnimated(true);
}

void ChromeGallery::showPopover() {
    popover_->showPopoverInWindow(this, true);
}

void ChromeGallery::showAnchoredPopover() {
    anchored_->showRelativeToRect(anchor_->rect(), anchor_,
                                  SWPopoverWindowController::kCentredEdge);
}
