#include "app/app_delegate.h"

#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QUrlQuery>

#include "app/kp_core.h"
#include "app/kp_store_helper.h"
#include "app/launcher_offer.h"
#include "app/telemetry/msac_analytics.h"
#include "app/telemetry/msac_app_center.h"
#include "app/telemetry/msac_crashes.h"
#include "appearance/desktop_color_scheme.h"
#include "appearance/kp_theme_manager.h"
#include "appearance/theme_selection.h"
#include "base/sw_user_defaults.h"
#include "results/screens/sw_about_popover_view_controller.h"
#include "results/screens/sw_desktop.h"

AppDelegate::AppDelegate() = default;
AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationWillFinishLaunching() {
    if (LauncherOffer::shouldOffer(QCoreApplication::applicationFilePath())) {
        LauncherOffer::offer(QCoreApplication::applicationFilePath(), nullptr);
    }
    SWThemeSelection::registerThemes();
    if (QGuiApplication::primaryScreen() &&
        QGuiApplication::primaryScreen()->devicePixelRatio() > 1) {
        QSettings& settings = SWUserDefaults::standardUserDefaults().userDefaults();
        settings.setValue(QLatin1String(kFontSmoothingKey), 0);
        settings.sync();
    }
}

void AppDelegate::applicationDidFinishLaunching() {
    themeSelection_ = std::make_unique<SWThemeSelection>(SWUserDefaults::standardUserDefaults(),
                                                         DesktopColorScheme::sessionScheme());
    updateTheme();
    mainWindowController_ = KPWindowController::controller<SWMainWindowController>();
    buildMainMenu();
    KPCConfig config;
    config.appStoreID = QStringLiteral("-1");
    config.isAppStore = false;
    config.showsRunAtLoginButton = false;
    configureServices();
    KPCore::sharedInstance().applicationDidLaunchWithConfig(config);
    KPCHappinessManager::sharedInstance().setMainWindow(mainWindowController_->window());
    if (KPCore::sharedInstance().canShowMainWindow()) {
        mainWindowController_->actuallyShowWindow(true);
        mainWindowShown_ = true;
    }
}

void AppDelegate::updateTheme() {
    themeSelection_->updateTheme();
}

void AppDelegate::activate() {
    KPCore& core = KPCore::sharedInstance();
    if (core.canShowMainWindow()) {
        mainWindowController_->actuallyShowWindow(true);
    } else {
        core.showWindow();
    }
    core.showAnyVisibleWindows();
}

void AppDelegate::applicationDidBecomeActive() {
    if (mainWindowShown_) activate();
}

void AppDelegate::configureServices() {
    const QString secret = formattedAppSecret(QString::fromLatin1(kSweepwellAppSecret));
    MSACAppCenter::start(secret,
                         {&MSACAnalytics::sharedInstance(), &MSACCrashes::sharedInstance()});
    QPointer<AppDelegate> weakSelf(this);
    MSACCrashes::sharedInstance().setUserConfirmationHandler([weakSelf](const QList<CrashReport>&) {
        if (!weakSelf) return false;
        weakSelf->showCrashAlert();
        return true;
    });
    configureUpdater(secret);
}

std::optional<int> AppDelegate::crashReportDecision(int returnCode) {
    const int decision = kFirstButtonReturn + 2 - returnCode;
    if (decision < 0 || decision > 2) return std::nullopt;
    return decision;
}

void AppDelegate::showCrashAlert() {
    auto* alert = new QMessageBox(mainWindowController_->window());
    alert->setIcon(QMessageBox::Warning);
    alert->setText(
        QString::fromLatin1(kCrashAlertMessage).arg(QGuiApplication::applicationDisplayName()));
    alert->setInformativeText(QString::fromLatin1(kCrashAlertInformation));
    QList<QAbstractButton*> buttons;
    buttons << alert->addButton(QString::fromLatin1(kAlwaysSendTitle), QMessageBox::AcceptRole)
            << alert->addButton(QString::fromLatin1(kSendTitle), QMessageBox::AcceptRole)
            << alert->addButton(QString::fromLatin1(kDontSendTitle), QMessageBox::RejectRole);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    connect(alert, &QMessageBox::finished, this, [alert, buttons] {
        const qsizetype index = buttons.indexOf(alert->clickedButton());
        if (index < 0) return;
        if (const auto decision = crashReportDecision(kFirstButtonReturn + int(index))) {
            MSACCrashes::sharedInstance().notifyWithUserConfirmation(*decision);
        }
    });
    alert->open();
}

void AppDelegate::configureUpdater(const QString& formattedSecret) {
    SUUpdater::registerFeedDefault(formattedSecret);
    auto updater = std::make_unique<SUUpdater>();
    updater->automaticallyChecksForUpdates = true;
    updater->automaticallyDownloadsUpdates = true;
    updater->sendsSystemProfile = true;
    KPStoreHelper::sharedHelper().setSparkleUpdater(std::move(updater));
}

void AppDelegate::buildMainMenu() {
    QMenu* menu = mainWindowController_->mainMenu();
    QWidget* window = mainWindowController_->window();
    const auto add = [menu, window](const QString& title, void (AppDelegate::*action)(),
                                    AppDelegate* self, QKeySequence shortcut = {}) {
        QAction* item = menu->addAction(title, self, action);
        item->setShortcut(shortcut);
        window->addAction(item);
    };
    add(QStringLiteral("About Sweepwell"), &AppDelegate::openAbout, this);
    add(QStringLiteral("Check for Updates…"), &AppDelegate::checkForUpdates, this);
    menu->addSeparator();
    add(QStringLiteral("Sweepwell Help"), &AppDelegate::openHelp, this, QKeySequence::HelpContents);
    add(QStringLiteral("Report a Problem…"), &AppDelegate::rateApp, this);
    add(QStringLiteral("Follow Sweepwell"), &AppDelegate::openTwitter, this);
    add(QStringLiteral("Join the Mailing List"), &AppDelegate::joinMailingList, this);
    menu->addSeparator();
    add(QStringLiteral("Quit Sweepwell"), &AppDelegate::quitApp, this, QKeySequence::Quit);
}

// Menu commands

void AppDelegate::openAbout() {
    if (!KPCore::sharedInstance().canShowMainWindow() || aboutViewController_) {
        SWDesktop::shared().beep();
        return;
    }
    aboutViewController_ = KPViewController::controller<SWAboutPopoverViewController>();
    QPointer<AppDelegate> weakSelf(this);
    aboutViewController_->setDidCloseBlock([weakSelf] {
        if (weakSelf) weakSelf->aboutViewController_.reset();
    });
    aboutViewController_->showPopoverInWindow(mainWindowController_->window(), true);
}

void AppDelegate::openHelp() {
    SWDesktop::shared().openURL(QUrl(QString::fromLatin1(SWWebAddress::kSupportSite)));
}

void AppDelegate::checkForUpdates() {
    KPStoreHelper::sharedHelper().checkForUpdates(mainWindowController_->window());
}

void AppDelegate::rateApp() {
    QUrl url(QString::fromLatin1(SWWebAddress::kSupportSite));
    url.setPath(QLatin1String(SWWebAddress::kSupportRequestPath));
    SWDesktop::shared().openURL(url);
}

void AppDelegate::openTwitter() {
    SWDesktop::shared().openURL(QUrl(QString::fromLatin1(SWWebAddress::kSocialPage)));
}

void AppDelegate::joinMailingList() {
    QUrl url(QString::fromLatin1(SWWebAddress::kHomePage));
    url.setQuery(QLatin1String(SWWebAddress::kMoreAppsQuery));
    SWDesktop::shared().openURL(url);
}

void AppDelegate::quitApp() {
    mainWindowController_->quitWhenRemovalEnds();
}
