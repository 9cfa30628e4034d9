#include <gtest/gtest.h>
#include <QFile>
#include <QFontInfo>
#include <QIcon>

#include "appearance/kp_theme_manager.h"
#include "appearance/sw_dark_theme.h"
#include "tests/appearance/appearance_fixtures.h"

namespace {

// Every key both themes answer.
const QStringList kSharedKeys = {"windowColor",
                                 "windowHeaderColor",
                                 "windowHeaderSeparatorColor",
                                 "textFont",
                                 "boldTextFont",
                                 "semiBoldTextFont",
                                 "smallSemiBoldTextFont",
                                 "textColor",
                                 "deviceHeaderFont",
                                 "deviceHeaderColor",
                                 "deviceDropDownIndicatorColor",
                                 "deviceHeaderBackgroundColor",
                                 "deviceHeaderBorderColor",
                                 "sidebarColor",
                                 "sidebarTableTitleFont",
                                 "sidebarTableSubtitleFont",
                                 "sidebarTableTitleColor",
                                 "sidebarTableSubtitleColor",
                                 "progressIndicatorColor",
                                 "sidebarTableImageColor",
                                 "sidebarTableImageColorActive",
                                 "sidebarTableSelectedBackgroundColor",
                                 "switchBorderColor",
                                 "sidebarDisabledTitleBackgroundColor",
                                 "sidebarDisabledTitleColor",
                                 "sidebarDisabledTitleFont",
                                 "detailsTableTitleFont",
                                 "detailsTableTitleColor",
                                 "detailsTableSeparatorColor",
                                 "detailsTableHeaderColor",
                                 "detailsTableHeaderFont",
                                 "detailTableSelectedBackgroundColor",
                                 "detailsInfoIconColor",
                                 "detailsInfoBackgroundColor",
                                 "detailsInfoBorderColor",
                                 "popoverOverlayBackgroundColor",
                                 "popoverOverlayBackgroundColorOnboarding",
                                 "popoverBackgroundColor",
                                 "popoverTitleFont",
                                 "bottomToolbarLabelHeaderColor",
                                 "bottomToolbarLabelHeaderFont",
                                 "bottomToolbarLabelColor",
                                 "bottomToolbarLabelFont",
                                 "overlayWindowTitleFont",
                                 "overlayWindowTitleColor",
                                 "errorViewSubtitleFont",
                                 "errorViewLabelFont",
                                 "spaceLabelColor"};

// Keys only the dark theme answers.
const QStringList kDarkOnlyKeys = {"tableHeaderSeparatorColor",
                                   "titleHeaderColor",
                                   "tableTitleColor",
                                   "tableValueColor",
                                   "popoverTitleColor",
                                   "popoverTextColor",
                                   "progressBackgroundColor",
                                   "progressFillColor",
                                   "spinningProgressColor",
                                   "buttonBackgroundColor",
                                   "buttonBackgroundColorPressed",
                                   "buttonStrokeColor",
                                   "buttonStrokeColorPressed",
                                   "helpIconImage",
                                   "helpIconAlternateImage",
                                   "settingsIconImage",
                                   "settingsIconAlternateImage"};

QColor color(KPTheme& theme, const char* key) {
    return theme.valueForKey(key).value<QColor>();
}

QFont font(KPTheme& theme, const char* key) {
    return theme.valueForKey(key).value<QFont>();
}

class ThemeTest : public ::testing::Test {
protected:
    SWLightTheme& light = SWLightTheme::sharedTheme();
    SWDarkTheme& dark = SWDarkTheme::sharedTheme();
    RecordedLog log;
};

TEST_F(ThemeTest, EveryKeyOfTheTableAnswersInTheThemesThatDefineIt) {
    for (const QString& key : kSharedKeys) {
        EXPECT_FALSE(light.valueForKey(key).isNull()) << key.toStdString();
        EXPECT_FALSE(dark.valueForKey(key).isNull()) << key.toStdString();
    }
    for (const QString& key : kDarkOnlyKeys) {
        EXPECT_FALSE(dark.valueForKey(key).isNull()) << key.toStdString();
    }
    EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join("\n").toStdString();
}

TEST_F(ThemeTest, KeysTheLightThemeLacksAnswerNoneAndLogTheirName) {
    for (const QString& key : kDarkOnlyKeys) {
        EXPECT_TRUE(light.valueForKey(key).isNull()) << key.toStdString();
    }
    ASSERT_EQ(log.lines().size(), kDarkOnlyKeys.size());
    EXPECT_EQ(log.lines().at(kDarkOnlyKeys.indexOf("buttonBackgroundColor")),
              "[DEBUG] SWLightTheme could not find value for key: buttonBackgroundColor");
}

TEST_F(ThemeTest, LightColoursAndDerivedKeys) {
    EXPECT_TRUE(sameColor(color(light, "windowColor"), Qt::white));
    EXPECT_TRUE(sameColor(color(light, "textColor"), rgb(0.2235, 0.2392, 0.2549)));
    EXPECT_TRUE(
        sameColor(color(light, "deviceDropDownIndicatorColor"), rgb(0.0784, 0.0824, 0.0902)));
    EXPECT_TRUE(
        sameColor(color(light, "sidebarTableSubtitleColor"), rgb(0.2314, 0.2471, 0.2588, 0.8)));
    EXPECT_TRUE(sameColor(color(light, "switchBorderColor"), rgb(0, 0, 0, 0.3)));
    EXPECT_TRUE(sameColor(color(light, "popoverBackgroundColor"), Qt::white));
    EXPECT_TRUE(sameColor(color(light, "sidebarDisabledTitleColor"), color(light, "textColor")));
}

TEST_F(ThemeTest, DarkThemeOverridesAndEvaluatesDerivedKeysInItself) {
    EXPECT_TRUE(sameColor(color(dark, "buttonBackgroundColor"), rgb(0.3608, 0.4196, 0.4667)));
    EXPECT_TRUE(sameColor(color(dark, "textColor"), rgb(1, 1, 1, 0.85)));
    // Derived in the light theme, answered with the dark theme's own textColor.
    EXPECT_TRUE(sameColor(color(dark, "detailsTableTitleColor"), rgb(1, 1, 1, 0.85)));
    EXPECT_TRUE(sameColor(color(dark, "bottomToolbarLabelColor"), rgb(1, 1, 1, 0.85)));
    EXPECT_TRUE(sameColor(color(dark, "deviceDropDownIndicatorColor"), rgb(1, 1, 1, 0.85)));
    EXPECT_TRUE(sameColor(color(dark, "sidebarTableSubtitleColor"), rgb(1, 1, 1, 0.7)));
    EXPECT_TRUE(sameColor(color(dark, "popoverBackgroundColor"), rgb(0.2, 0.2196, 0.2431)));
    EXPECT_TRUE(sameColor(color(dark, "detailsInfoBorderColor"), rgb(0.1373, 0.1608, 0.1882, 0.7)));
    // Not overridden: as light.
    EXPECT_TRUE(sameColor(color(dark, "detailTableSelectedBackgroundColor"),
                          color(light, "detailTableSelectedBackgroundColor")));
    EXPECT_EQ(color(dark, "buttonStrokeColor").alpha(), 0);
    EXPECT_EQ(dark.themeName(), "Dark");
    EXPECT_EQ(light.themeName(), "Light");
}

TEST_F(ThemeTest, FontsAreTheFourInterFacesAtTheirSizes) {
    struct Expected {
        const char* key;
        int pixelSize;
        QFont::Weight weight;
    };
    for (const Expected& e :
         {Expected{"textFont", 14, QFont::Normal}, Expected{"boldTextFont", 14, QFont::Medium},
          Expected{"smallSemiBoldTextFont", 13, QFont::DemiBold},
          Expected{"deviceHeaderFont", 15, QFont::Medium},
          Expected{"sidebarTableSubtitleFont", 11, QFont::Normal},
          Expected{"overlayWindowTitleFont", 18, QFont::DemiBold}}) {
        const QFont f = font(dark, e.key);
        const QFontInfo info(f);
        EXPECT_EQ(info.family(), "Inter") << e.key;
        EXPECT_EQ(info.pixelSize(), e.pixelSize) << e.key;
        EXPECT_EQ(info.weight(), e.weight) << e.key;
    }
    EXPECT_EQ(light.baseFontName(), "Inter");
    for (const char* face : {"Regular", "Medium", "SemiBold", "Bold"}) {
        EXPECT_TRUE(QFile::exists(QStringLiteral(":/fonts/Inter-%1.otf").arg(face))) << face;
    }
    EXPECT_EQ(QFontInfo(*light.boldFontOfSize(20)).weight(), QFont::Bold);
}

TEST_F(ThemeTest, ThemedImagesAreBundledAndDrawable) {
    for (const char* key : {"helpIconImage", "helpIconAlternateImage", "settingsIconImage",
                            "settingsIconAlternateImage"}) {
        const QImage image = dark.valueForKey(key).value<QIcon>().pixmap(QSize(20, 20)).toImage();
        ASSERT_FALSE(image.isNull()) << key;
        EXPECT_EQ(image.pixelColor(10, 1).alpha() + image.pixelColor(1, 10).alpha() > 0, true)
            << key;
    }
}

TEST(CamelCaseTest, SplitsAtHyphensAndUnderscores) {
    EXPECT_EQ(kp_camelCaseString("window-header-color"), "windowHeaderColor");
    EXPECT_EQ(kp_camelCaseString("window_header_color"), "windowHeaderColor");
    EXPECT_EQ(kp_camelCaseString("details-INFO_icon-color"), "detailsInfoIconColor");
    EXPECT_EQ(kp_camelCaseString("windowHeaderColor"), "windowHeaderColor");
    EXPECT_EQ(kp_camelCaseString("Window-color"), "WindowColor");
    EXPECT_EQ(kp_camelCaseString("a--b"), "aB");
    EXPECT_EQ(kp_camelCaseString(""), "");
}

TEST_F(ThemeTest, CamelCaseFormsOfAKeyAnswerLikeTheKey) {
    EXPECT_TRUE(sameColor(color(light, "details-info-icon-color"), rgb(0.2, 0.6196, 0.9647)));
    EXPECT_TRUE(sameColor(color(dark, "window_header_color"), rgb(0.1373, 0.1608, 0.1882)));
    EXPECT_TRUE(log.lines().isEmpty());

    EXPECT_TRUE(light.valueForKey("button-background-color").isNull());
    EXPECT_TRUE(light.valueForKey("no_such-key").isNull());
    EXPECT_EQ(log.lines(),
              (QStringList{"[DEBUG] SWLightTheme could not find value for key: "
                           "buttonBackgroundColor",
                           "[DEBUG] SWLightTheme could not find value for key: noSuchKey"}));
}

TEST_F(ThemeTest, OnlyThemeAccessorsAreKeys) {
    // QObject's own invokables and non-accessor members must never run as keys.
    for (const char* key :
         {"deleteLater", "destroyed", "themeName", "fontOfSize", "baseFontName", "objectName"}) {
        EXPECT_TRUE(light.valueForKey(key).isNull()) << key;
    }
    EXPECT_EQ(&SWLightTheme::sharedTheme(), &light);
    EXPECT_EQ(light.themeName(), "Light");
}

class ThemeManagerTest : public ::testing::Test {
protected:
    void SetUp() override { useTheme("SWLightTheme"); }
    KPThemeManager& manager = KPThemeManager::sharedManager();
    RecordedLog log;
};

TEST_F(ThemeManagerTest, EachChangePostsOneNotificationAndAnEqualNameNone) {
    ThemeUpdateCounter counter;
    EXPECT_TRUE(manager.changeTheme("SWDarkTheme"));
    EXPECT_EQ(counter.count(), 1);
    EXPECT_EQ(manager.currentThemeName(), "SWDarkTheme");
    EXPECT_EQ(manager.currentTheme(), &SWDarkTheme::sharedTheme());

    EXPECT_TRUE(manager.changeTheme(QStringLiteral("SWDark") + "Theme"));
    EXPECT_EQ(counter.count(), 1);

    EXPECT_TRUE(manager.changeTheme("SWLightTheme"));
    EXPECT_EQ(counter.count(), 2);
    EXPECT_EQ(manager.registeredThemes().size(), 2);
}

TEST_F(ThemeManagerTest, AnUnknownThemeKeepsTheCurrentOneButStillAnnouncesTheChange) {
    ThemeUpdateCounter counter;
    EXPECT_FALSE(manager.changeTheme("SWSepiaTheme"));
    EXPECT_EQ(counter.count(), 1);
    EXPECT_EQ(manager.currentThemeName(), "SWSepiaTheme");
    EXPECT_EQ(manager.currentTheme(), &SWLightTheme::sharedTheme());
    EXPECT_TRUE(sameColor(manager.colorForKey("windowColor"), Qt::white));
}

TEST_F(ThemeManagerTest, ChangingTheThemeClearsTheCache) {
    EXPECT_TRUE(sameColor(manager.colorForKey("textColor"), rgb(0.2235, 0.2392, 0.2549)));
    manager.changeTheme("SWDarkTheme");
    EXPECT_TRUE(sameColor(manager.colorForKey("textColor"), rgb(1, 1, 1, 0.85)));
    manager.changeTheme("SWLightTheme");
    EXPECT_TRUE(sameColor(manager.colorForKey("textColor"), rgb(0.2235, 0.2392, 0.2549)));
}

TEST_F(ThemeManagerTest, NoneIsNotCachedAndIsAskedForAgain) {
    EXPECT_FALSE(manager.colorForKey("progressFillColor").isValid());
    EXPECT_FALSE(manager.colorForKey("progressFillColor").isValid());
    EXPECT_EQ(log.lines().size(), 2);
}

TEST_F(ThemeManagerTest, TypedLookUpsAnswerNoneForAValueOfAnotherType) {
    manager.changeTheme("SWDarkTheme");
    EXPECT_FALSE(manager.colorForKey("textFont").isValid());
    EXPECT_FALSE(manager.fontForKey("textColor").has_value());
    EXPECT_TRUE(manager.fontForKey("textFont").has_value());
    EXPECT_FALSE(manager.imageForKey("helpIconImage").isNull());
    EXPECT_TRUE(manager.imageForKey("windowColor").isNull());
    EXPECT_FALSE(manager.dictionaryForKey("windowColor").has_value());
    EXPECT_FALSE(manager.arrayForKey("windowColor").has_value());
    EXPECT_TRUE(log.lines().isEmpty());
}

}  // namespace
