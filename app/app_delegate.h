#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "app/sw_main_window_controller.h"

class DesktopColorScheme;
class SWAboutPopoverViewController;
class SWThemeSelection;

// The application's outermost control: the launch sequence in its fixed order, the
// main window's showing, the menu commands and the About popover.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    // The identifier of the usage and crash services, as 32 hexadecimal digits.
    static constexpr char kAnalyticsSecret[] = "5d0b7c1e3f8a4b6c9e2d1a7f4c8b3e6a";
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

private:
    void buildMainMenu();
    void configureServices();
    void configureUpdater(const QString& formattedSecret);

    std::shared_ptr<SWMainWindowController> mainWindowController_;
    std::shared_ptr<SWAboutPopoverViewController> aboutViewController_;
    std::unique_ptr<SWThemeSelection> themeSelection_;
    bool mainWindowShown_ = false;
};
