#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>

#include "appearance/kp_theme_manager.h"
#include "appearance/kp_view.h"
#include "appearance/kp_yosemite_button.h"
#include "appearance/qrk_spinning_progress_indicator.h"
#include "appearance/tg_switch.h"
#include "appearance/theme_selection.h"
#include "results/screens/sw_about_popover_view_controller.h"
#include "results/screens/sw_finished_popover_view_controller.h"
#include "results/screens/sw_popover_support.h"
#include "results/screens/sw_quit_popover_view_controller.h"
#include "results/screens/sw_selection_popover_controller.h"
#include "results/screens/sw_time_machine_popover_view_controller.h"
#include "tests/support/fixture_home.h"

namespace {

void useTheme(bool dark) {
    SWThemeSelection::registerThemes();
    KPThemeManager::sharedManager().changeTheme(dark ? "SWDarkTheme" : "SWLightTheme");
}

void save(QWidget& widget, const QString& name, bool dark) {
    QImage image(widget.size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    const QString path = QStringLiteral(SWEEPWELL_SCREENSHOT_DIR "/popover-%1-%2.png")
                             .arg(name, dark ? "dark" : "light");
    EXPECT_TRUE(image.save(path)) << path.toStdString();
}

// Shows the popover over a main window of the usual size, waits until it rests, saves
// the window and takes the popover away again.
void savePopover(KPPopoverViewController& popover, const QString& name, bool dark) {
    KPThemableView window;
    window.setBackgroundColorKey(QStringLiteral("windowColor"));
    window.resize(720, 480);
    window.show();
    popover.showPopoverInWindow(&window, true);
    ASSERT_TRUE(waitUntil([&] { return popover.animation() == nullptr; }));
    QApplication::processEvents();
    save(window, name, dark);
    popover.dismissPopoverAnimated(true);
    ASSERT_TRUE(waitUntil([&] { return popover.popoverOverlayView() == nullptr; }));
}

QSRemovedFilePtr removed(quint64 size) {
    auto file = std::make_shared<QSScannedFile>();
    file->setFileSize(size);
    return std::make_shared<QSRemovedFile>(file, true, std::nullopt);
}

// Renders the five popovers in both themes to build/screenshots/popover-*-{light,dark}.png:
// the confirmation before and while it removes, the completion, the quit question with
// and without a removal running, the About popover and the selection menu.
TEST(PopoversScreenshotTest, EveryPopoverInBothThemes) {
    ASSERT_TRUE(QDir().mkpath(QStringLiteral(SWEEPWELL_SCREENSHOT_DIR)));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Sweepwell"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    for (const bool dark : {false, true}) {
        useTheme(dark);
        auto confirmation = KPViewController::controller<SWTimeMachinePopoverViewController>();
        savePopover(*confirmation, "confirmation", dark);
        confirmation->progressContainerView()->show();
        confirmation->contentView()->hide();
        confirmation->progressIndicator()->startAnimation();
        savePopover(*confirmation, "confirmation-removing", dark);

        auto completion = KPViewController::controller<SWFinishedPopoverViewController>();
        completion->setResultsArray({removed(1'234'000'000), removed(56'000'000)});
        savePopover(*completion, "completion", dark);

        auto quit = KPViewController::controller<SWQuitPopoverViewController>();
        savePopover(*quit, "quit", dark);
        quit->setRemovalInProgress(true);
        savePopover(*quit, "quit-removing", dark);

        auto about = KPViewController::controller<SWAboutPopoverViewController>();
        savePopover(*about, "about", dark);

        auto selection = KPWindowController::controller<SWSelectionPopoverController>();
        selection->window()->show();
        QApplication::processEvents();
        save(*selection->window(), "selection", dark);
    }
}

}  // namespace
