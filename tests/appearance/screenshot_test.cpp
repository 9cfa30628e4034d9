#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>

#include "appearance/kp_theme_manager.h"
#include "tests/appearance/appearance_fixtures.h"
#include "tests/support/fixture_home.h"
#include "tools/gallery/chrome_gallery.h"
#include "tools/gallery/gallery_view.h"

namespace {

// Renders the gallery, every control in every state, in both themes at one and two
// device pixels per point, to build/screenshots/gallery-{light,dark}@{1,2}x.png.
TEST(ScreenshotTest, GalleryInBothThemesAtBothPixelRatios) {
    const QString folder = QStringLiteral(SWEEPWELL_SCREENSHOT_DIR);
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const bool dark : {false, true}) {
        useTheme(dark ? "SWDarkTheme" : "SWLightTheme");
        GalleryView gallery;
        gallery.adjustSize();
        gallery.show();
        gallery.activateWindow();
        ASSERT_TRUE(waitUntil([&] { return gallery.isActiveWindow(); }));
        gallery.focusSwitch();
        QApplication::processEvents();
        const QColor window = KPThemeManager::sharedManager().colorForKey("windowColor");
        for (const int ratio : {1, 2}) {
            const QImage image = render(gallery, ratio);
            ASSERT_EQ(image.size(), gallery.size() * ratio);
            EXPECT_TRUE(near(image.pixel(3, 3), window.rgba(), 1));
            const QString name = QStringLiteral("%1/gallery-%2@%3x.png")
                                     .arg(folder, dark ? "dark" : "light")
                                     .arg(ratio);
            EXPECT_TRUE(image.save(name)) << name.toStdString();
        }
    }
}

void save(QWidget& widget, const QString& name) {
    const QString path = QStringLiteral(SWEEPWELL_SCREENSHOT_DIR "/%1.png").arg(name);
    EXPECT_TRUE(render(widget, 2).save(path)) << path.toStdString();
}

// Halts an animation halfway, saves the window, then lets it finish.
void saveHalfway(QAbstractAnimation* animation, QWidget& widget, const QString& name) {
    ASSERT_TRUE(animation);
    animation->pause();
    animation->setCurrentTime(animation->totalDuration() / 2);
    QApplication::processEvents();
    save(widget, name);
    animation->resume();
}

// Renders the chrome window at two device pixels per point in both themes: the first
// screen, a push halfway and done, the in-window popover halfway and done, and the
// anchored popover as it opens and once open, to build/screenshots/chrome-*.png.
TEST(ScreenshotTest, ChromeScreensAndPopoversInBothThemes) {
    ASSERT_TRUE(QDir().mkpath(QStringLiteral(SWEEPWELL_SCREENSHOT_DIR)));
    for (const bool dark : {false, true}) {
        useTheme(dark ? "SWDarkTheme" : "SWLightTheme");
        const QString theme = dark ? "dark" : "light";
        ChromeGallery chrome;
        chrome.show();
        QApplication::processEvents();
        save(chrome, "chrome-" + theme + "-first");

        chrome.push();
        ASSERT_TRUE(waitUntil([&] { return chrome.navigation().transition() != nullptr; }));
        saveHalfway(chrome.navigation().transition(), chrome, "chrome-" + theme + "-push-halfway");
        ASSERT_TRUE(waitUntil([&] { return chrome.navigation().transition() == nullptr; }));
        save(chrome, "chrome-" + theme + "-pushed");

        chrome.showPopover();
        saveHalfway(chrome.popover().animation(), chrome, "chrome-" + theme + "-popover-halfway");
        ASSERT_TRUE(waitUntil([&] { return chrome.popover().animation() == nullptr; }));
        save(chrome, "chrome-" + theme + "-popover");
        chrome.popover().dismissPopoverAnimated(true);
        ASSERT_TRUE(waitUntil([&] { return chrome.popover().popoverOverlayView() == nullptr; }));

        chrome.showAnchoredPopover();
        KPYosemiteWindow& panel = *chrome.anchoredPopover().window();
        save(panel, "chrome-" + theme + "-anchored-opening");
        ASSERT_TRUE(waitUntil([&] { return !chrome.anchoredPopover().animating(); }));
        save(panel, "chrome-" + theme + "-anchored");
    }
}

}  // namespace
