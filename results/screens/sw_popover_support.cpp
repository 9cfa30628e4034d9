#include "results/screens/sw_popover_support.h"

#include <QCoreApplication>
#include <QLayout>

#include "appearance/kp_theme_manager.h"
#include "appearance/kp_yosemite_button.h"
#include "base/notification_center.h"

namespace {

constexpr char kButtonStyleProperty[] = "buttonStyle";
constexpr char kPrimaryStyle[] = "primary";
constexpr char kLinkStyle[] = "link";
constexpr char kButtonFontKey[] = "errorViewLabelFont";
constexpr char kLinkColorKey[] = "spaceLabelColor";

std::function<void()>& terminator() {
    static std::function<void()> terminate;
    return terminate;
}

// A link is a title without a bezel, in the theme's accent colour.
std::unique_ptr<KPYosemiteButtonCell> linkCell() {
    auto cell = std::make_unique<KPYosemiteButtonCell>();
    cell->setShadow(std::nullopt);
    const QColor color = KPThemeManager::sharedManager().colorForKey(kLinkColorKey);
    cell->setTitleColor(color);
    cell->setTitleColorPressed(color.darker(130));
    return cell;
}

std::unique_ptr<KPYosemiteButtonCell> cellForStyle(const QString& style) {
    if (style == QLatin1String(kPrimaryStyle))
        return std::make_unique<KPUpdatedBlueYosemiteButtonCell>();
    if (style == QLatin1String(kLinkStyle)) return linkCell();
    return std::make_unique<KPGrayYosemiteButtonCell>();
}

void styleButtons(QWidget* view) {
    const std::optional<QFont> font = KPThemeManager::sharedManager().fontForKey(kButtonFontKey);
    for (KPYosemiteButton* button : view->findChildren<KPYosemiteButton*>()) {
        const QString style = button->property(kButtonStyleProperty).toString();
        button->setCell(cellForStyle(style));
        if (font) button->setFont(*font);
        // A link lines up with the text beside it instead of sitting in a button's room.
        if (style == QLatin1String(kLinkStyle))
            button->setFixedWidth(button->fontMetrics().horizontalAdvance(button->text()) + 2);
    }
}

}  // namespace

void swTerminateApplication() {
    if (terminator()) {
        terminator()();
        return;
    }
    // Not quit(): with a GUI, Qt's quit() first asks every window to close, and the main
    // window answers a close with the question whether to quit.
    QCoreApplication::exit(0);
}

void swSetTerminateApplication(std::function<void()> terminate) {
    terminator() = std::move(terminate);
}

void swPreparePopoverView(QWidget* view) {
    styleButtons(view);
    swFitPopoverHeight(view);
    QObject::connect(&NotificationCenter::defaultCenter(), &NotificationCenter::notificationPosted,
                     view, [view](const QString& name, const void*) {
                         if (name == KPThemeManager::kThemeDidUpdateNotification)
                             styleButtons(view);
                     });
}

// The form's width is the design's; the height follows the texts in the theme's fonts.
// Layouts keep what they measured until they are invalidated, and a view not shown yet
// never is: a text changed since would be measured at its old size.
void swFitPopoverHeight(QWidget* view) {
    QLayout* layout = view->layout();
    if (!layout) return;
    for (QLayout* inner : view->findChildren<QLayout*>())
        inner->invalidate();
    const int width = view->width();
    view->resize(width, layout->hasHeightForWidth() ? layout->totalHeightForWidth(width)
                                                    : layout->totalSizeHint().height());
}
