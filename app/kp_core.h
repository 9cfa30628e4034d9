#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <QWidget>

// The maker's framework, reduced to what this program calls: its configuration, the
// launch call, and the permission to show the main window. It has no welcome window
// here, so it always allows the main window and never posts the welcome notifications.
struct KPCConfig {
    QString appStoreID;
    bool isAppStore = false;
    bool showsRunAtLoginButton = false;
};

// The names of the welcome window's notifications (opened, closed).
struct KPCWelcomeNotifications {
    static constexpr char kDidOpen[] = "KPCWelcomeWindowDidOpenNotification";
    static constexpr char kDidClose[] = "KPCWelcomeWindowDidCloseNotification";
};

class KPCore {
public:
    static KPCore& sharedInstance();

    // Called once per launch; a second call is ignored.
    void applicationDidLaunchWithConfig(const KPCConfig& config);
    bool hasLaunched() const { return launched_; }
    const KPCConfig& config() const { return config_; }

    bool canShowMainWindow() const { return true; }
    // Its own windows: there are none to show.
    void showWindow() {}
    void showAnyVisibleWindows() {}

private:
    KPCore() = default;
    KPCConfig config_;
    bool launched_ = false;
};

// Told which window is the main one (it would ask for a rating over it).
class KPCHappinessManager {
public:
    static KPCHappinessManager& sharedInstance();
    void setMainWindow(QWidget* window) { mainWindow_ = window; }
    QWidget* mainWindow() const { return mainWindow_; }

private:
    KPCHappinessManager() = default;
    QPointer<QWidget> mainWindow_;
};
