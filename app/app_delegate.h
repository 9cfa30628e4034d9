#pragma once

#include <QObject>
#include <QPointer>
#include <memory>
#include <optional>

#include "app/sw_main_window_controller.h"

class DesktopColorScheme;
class SWAboutPopoverViewController;
class SWThemeSelection;

// The application's outermost control: the launch sequence in its fixed order, the
// main window's showing, the menu commands and the About popover.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    static constexpr char kCrashAlertMessage[] = "%1 encountered a problem and crashed";
    static constexpr char kCrashAlertInformation[] =
        "Would you like to send an anonymous crash report so that we can fix this issue?";
    static constexpr char kAlwaysSendTitle[] = "Always Send";
    static constexpr char kSendTitle[] = "Send";
    static constexpr char kDontSendTitle[] = "Don't Send";
    // The alert's answers, first button first.
    static constexpr int kFirstButtonReturn = 1000;
    static constexpr char kFontSmoothingKey[] = "AppleFontSmoothing";

    AppDelegate();
    ~AppDelegate() override;

    void applicationWillFinishLaunching();
    void applicationDidFinishLaunching();
    // Brings the main window back (a second start of the program, an activation).
    void activate();
    void applicationDidBecomeActive();
    void updateTheme();

    SWMainWindowController* mainWindowController() const { return mainWindowController_.get(); }
    SWAboutPopoverViewController* aboutViewController() const { return aboutViewController_.get(); }
    bool mainWindowShown() const { return mainWindowShown_; }

    // The menu commands.
    void openAbout();
    void openHelp();
    void checkForUpdates();
    void rateApp();
    void openTwitter();
    void joinMailingList();
    void quitApp();

    // The crash service's decision for the alert's answer: "Always Send" 2, "Send" 1,
    // "Don't Send" 0; none for any other answer.
    static std::optional<int> crashReportDecision(int returnCode);

private:
    void showCrashAlert();
    void buildMainMenu();
    void configureServices();
    void configureUpdater(const QString& formattedSecret);

    std::shared_ptr<SWMainWindowController> mainWindowController_;
    std::shared_ptr<SWAboutPopoverViewController> aboutViewController_;
    std::unique_ptr<SWThemeSelection> themeSelection_;
    bool mainWindowShown_ = false;
};
