#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/app_delegate.h"
#include "app/sw_main_window_controller.h"
#include "appearance/kp_theme_manager.h"
#include "appearance/kp_yosemite_button.h"
#include "appearance/theme_selection.h"
#include "results/screens/ln_table_view.h"
#include "results/screens/sw_about_popover_view_controller.h"
#include "results/screens/sw_desktop.h"
#include "results/screens/sw_detail_view_controller.h"
#include "results/screens/sw_popover_support.h"
#include "results/screens/sw_quit_popover_view_controller.h"
#include "results/screens/sw_results_view_controller.h"
#include "tests/support/fixture_home.h"

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
        SWThemeSelection::registerThemes();
        KPThemeManager::sharedManager().changeTheme("SWLightTheme");
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

namespace {

// Makes a file of that size (its bytes are never written) below the home folder.
void junk(const QString& relative, qint64 size) {
    const QString path = QDir::homePath() + "/" + relative;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(size));
}

// The main window after a scan of a home with some junk, as a person sees it.
TEST_F(MainWindowTest, Screenshots) {
    junk("Library/Caches/org.example.Photos/thumbnails.db", 184'000'000);
    junk("Library/Caches/org.example.Editor/index", 52'300'000);
    junk("Library/Logs/org.example.Sync/sync.log", 7'400'000);
    junk(".Trash/holiday-video.mp4", 912'000'000);
    junk(".Trash/old-notes.txt", 12'000);
    junk("Downloads/installer-2.4.deb", 88'000'000);
    const QString folder = QStringLiteral(SWEEPWELL_SCREENSHOT_DIR);
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const bool dark : {false, true}) {
        KPThemeManager::sharedManager().changeTheme(dark ? "SWDarkTheme" : "SWLightTheme");
        auto controller = KPWindowController::controller<SWMainWindowController>();
        controller->actuallyShowWindow(true);
        const auto results = controller->resultsViewController();
        ASSERT_TRUE(waitUntil([&] { return results->model().isScanning(); }, 5000));
        ASSERT_TRUE(waitUntil([&] { return !results->model().isScanning(); }, 60000));
        results->model().setRowSelected(results->model().indexOfKey("trash"), true);
        results->refreshSidebar();
        auto* button = results->view()->findChild<KPYosemiteButton*>("nextButton");
        auto* empty = results->view()->findChild<QWidget*>("emptyContainerView");
        ASSERT_TRUE(waitUntil([&] { return button->alphaValue() == 1.0 && !empty->isVisible(); }));
        // The Trash's files in the pane, as after a click on its row.
        results->view()
            ->findChild<LNTableView*>("tableView")
            ->selectRow(results->model().indexOfKey("trash"));
        ASSERT_TRUE(waitUntil([&] {
            const auto detail = results->currentViewController();
            return detail && detail->currentView() &&
                   detail->currentView()->objectName() == "detailsView";
        }));
        // The explanation's height settles the pane's layout on the next pass.
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QApplication::processEvents();
        const QString name = dark ? "main-window-dark.png" : "main-window-light.png";
        EXPECT_TRUE(controller->window()->grab().save(folder + "/" + name));
    }
    QDir(QDir::homePath() + "/Library").removeRecursively();
    QDir(QDir::homePath() + "/.Trash").removeRecursively();
    QDir(QDir::homePath() + "/Downloads").removeRecursively();
}

}  // namespace
