#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>

#include "appearance/kp_theme_manager.h"
#include "tests/appearance/appearance_fixtures.h"
#include "tests/support/fixture_home.h"
#include "tools/gallery/gallery_view.h"

namespace {

// Renders the gallery, every control in every state, in both themes at one and two
// device pixels per point, to build/screenshots/gallery-{light,dark}@{1,2}x.png.
TEST(ScreenshotTest, GalleryInBothThemesAtBothPixelRatios) {
    const QString folder = QStringLiteral(SWEEPWELL_SCREENSHOT_DIR);
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const bool dark : {false, true}) {
        galleryUseTheme(dark);
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

}  // namespace
