#include <gtest/gtest.h>

#include "app/app_delegate.h"
#include "app/sw_main_window_controller.h"
#include "appearance/kp_theme_manager.h"
#include "appearance/sw_dark_theme.h"
#include "appearance/sw_light_theme.h"
#include "results/screens/sw_about_popover_view_controller.h"
#include "results/screens/sw_desktop.h"
#include "results/screens/sw_popover_support.h"
#include "results/screens/sw_quit_popover_view_controller.h"
#include "results/screens/sw_results_view_controller.h"

namespace {

class BeepCounter : public SWDesktop {
public:
    int beeps = 0;
    void beep() override { ++beeps; }
    void openURL(const QUrl&) override {}
    void postNotification(const QString&, const QString&) override {}
    void playSound(const QUrl&) override {}
    void requestAttention(QWidget*) override {}
};

class MainWindowTest : public ::testing::Test {
protected:
    int terminations = 0;
    std::shared_ptr<BeepCounter> desktop = std::make_shared<BeepCounter>();

    void SetUp() override {
        KPThemeManager& themes = KPThemeManager::sharedManager();
        if (themes.registeredThemes().isEmpty()) {
            themes.registerTheme(SWLightTheme::sharedTheme());
            themes.registerTheme(SWDarkTheme::sharedTheme());
        }
        themes.changeTheme("SWLightTheme");
        swSetTerminateApplication([this] { ++terminations; });
        SWDesktop::setShared(desktop);
        SWQuitPopoverViewController::setSuppressQuitAlert(false);
    }
    void TearDown() override {
        swSetTerminateApplication(nullptr);
        SWDesktop::setShared(nullptr);
        SWQuitPopoverViewController::setSuppressQuitAlert(false);
    }
};

TEST_F(MainWindowTest, TheResultsScreenIsMadeOnceWhenTheWindowFirstShows) {
    auto controller = KPWindowController::controller<SWMainWindowController>();
    EXPECT_FALSE(controller->resultsViewController());
    controller->actuallyShowWindow(true);
    const auto results = controller->resultsViewController();
    ASSERT_TRUE(results);
    controller->actuallyHideWindow(true);
    controller->actuallyShowWindow(true);
    EXPECT_EQ(controller->resultsViewController(), results);
    EXPECT_EQ(controller->navigationController().viewControllers().size(), 1);
}

TEST_F(MainWindowTest, TheCloseButtonQuitsAtOnceOnlyWhenTheQuestionIsSwitchedOff) {
    auto controller = KPWindowController::controller<SWMainWindowController>();
    controller->actuallyShowWindow(true);
    SWQuitPopoverViewController::setSuppressQuitAlert(true);
    EXPECT_TRUE(controller->windowShouldClose());
    EXPECT_EQ(terminations, 1);
    EXPECT_FALSE(controller->quitPopoverViewController());

    SWQuitPopoverViewController::setSuppressQuitAlert(false);
    EXPECT_FALSE(controller->windowShouldClose());
    const auto question = controller->quitPopoverViewController();
    ASSERT_TRUE(question);
    // The close button again while the question is up changes nothing.
    EXPECT_FALSE(controller->windowShouldClose());
    EXPECT_EQ(controller->quitPopoverViewController(), question);
    EXPECT_EQ(terminations, 1);
}

TEST_F(MainWindowTest, QuittingWhileFilesAreRemovedWaitsForTheRemoval) {
    auto controller = KPWindowController::controller<SWMainWindowController>();
    controller->actuallyShowWindow(true);
    controller->removalStateChanged(true);
    controller->quitWhenRemovalEnds();
    EXPECT_EQ(terminations, 0);
    // Even with the question switched off, the window asks while files are removed.
    SWQuitPopoverViewController::setSuppressQuitAlert(true);
    EXPECT_FALSE(controller->windowShouldClose());
    ASSERT_TRUE(controller->quitPopoverViewController());
    EXPECT_TRUE(controller->quitPopoverViewController()->removalInProgress());
    controller->removalStateChanged(false);
    EXPECT_EQ(terminations, 1);
}

TEST_F(MainWindowTest, AboutOpensOnceAndASecondRequestBeeps) {
    AppDelegate delegate;
    delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(delegate.mainWindowShown());
    delegate.openAbout();
    const SWAboutPopoverViewController* about = delegate.aboutViewController();
    ASSERT_TRUE(about);
    EXPECT_EQ(desktop->beeps, 0);
    delegate.openAbout();
    EXPECT_EQ(delegate.aboutViewController(), about);
    EXPECT_EQ(desktop->beeps, 1);
}

TEST(CrashAlertTest, TheAnswersMapToTheDecisionsOfTheCrashService) {
    EXPECT_EQ(AppDelegate::crashReportDecision(1000), 2);  // Always Send
    EXPECT_EQ(AppDelegate::crashReportDecision(1001), 1);  // Send
    EXPECT_EQ(AppDelegate::crashReportDecision(1002), 0);  // Don't Send
    EXPECT_EQ(AppDelegate::crashReportDecision(999), std::nullopt);
    EXPECT_EQ(AppDelegate::crashReportDecision(1003), std::nullopt);
}

}  // namespace
