#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QTest>

#include "appearance/kp_path_control.h"
#include "appearance/kp_theme_manager.h"
#include "tests/appearance/appearance_fixtures.h"

namespace {

const QString kPath = QStringLiteral("/home/ann/Library/Caches/org.example.Editor/cache.db");

TEST(PathControlTest, APathIsItsComponentsAndTheMiddleOnesGiveWayFirst) {
    useTheme("SWLightTheme");
    EXPECT_EQ(SWPathCell::componentsOfPath(kPath),
              (QStringList{"home", "ann", "Library", "Caches", "org.example.Editor", "cache.db"}));
    EXPECT_EQ(SWPathCell::componentsOfPath("/"), QStringList{"/"});
    SWPathCell cell;
    cell.setPath(kPath);
    const QStringList all = SWPathCell::componentsOfPath(kPath);
    EXPECT_EQ(cell.fittedComponents(cell.widthOfComponents(all)), all);
    const QString ellipsis(SWPathCell::kEllipsis);
    const QStringList shortened = cell.fittedComponents(cell.widthOfComponents(all) - 1);
    EXPECT_EQ(shortened, (QStringList{"home", ellipsis, "Library", "Caches", "org.example.Editor",
                                      "cache.db"}));
    EXPECT_LE(cell.widthOfComponents(shortened), cell.widthOfComponents(all) - 1);
    EXPECT_EQ(cell.fittedComponents(10), (QStringList{"home", ellipsis, "cache.db"}));
}

TEST(PathControlTest, FontAndColourFollowTheTheme) {
    useTheme("SWLightTheme");
    SWPathCell cell;
    const QColor light = cell.pathComponentCell().textColor();
    EXPECT_EQ(light, KPThemeManager::sharedManager().colorForKey("textColor"));
    EXPECT_EQ(cell.font(), *KPThemeManager::sharedManager().fontForKey("errorViewLabelFont"));
    useTheme("SWDarkTheme");
    EXPECT_EQ(cell.pathComponentCell().textColor(),
              KPThemeManager::sharedManager().colorForKey("textColor"));
    EXPECT_NE(cell.pathComponentCell().textColor(), light);
    useTheme("SWLightTheme");
}

// Only for reading: clicks reach what lies below, the keyboard passes it by, and a screen
// reader reads the whole path.
TEST(PathControlTest, TheControlIsDisplayOnly) {
    useTheme("SWLightTheme");
    QWidget window;
    window.resize(400, 40);
    auto* control = new KPPathControl(&window);
    control->setGeometry(0, 0, 400, 40);
    control->setURL(QUrl::fromLocalFile(kPath));
    window.show();
    EXPECT_EQ(control->url().toLocalFile(), kPath);
    EXPECT_EQ(control->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(window.childAt(QPoint(10, 10)), nullptr);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), kPath);
    EXPECT_EQ(accessible->role(), QAccessible::StaticText);
    // Something is drawn, in the theme's text colour.
    const QImage image = render(*control);
    bool drawn = false;
    for (int x = 0; x < image.width() && !drawn; ++x)
        for (int y = 0; y < image.height() && !drawn; ++y)
            drawn = near(image.pixel(x, y),
                         KPThemeManager::sharedManager().colorForKey("textColor").rgb(), 40);
    EXPECT_TRUE(drawn);
}

}  // namespace
