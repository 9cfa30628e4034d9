#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

class QWidget;

// The software updater. Sweepwell is installed and updated by the system's package
// manager, so without a feed host of our own configured a check only says so; the
// settings and the feed default are kept as the updater would use them.
class SUUpdater {
public:
    static constexpr char kFeedURLKey[] = "SUFeedURL";
    static constexpr char kFeedHost[] = "https://updates.sweepwell.org";
    static constexpr char kFeedPath[] = "/v0.1/public/sparkle/apps/";
    static constexpr char kPackageManagerMessage[] =
        "Sweepwell is updated by your system's package manager.";
    static constexpr char kPackageManagerInformation[] =
        "Use your software centre or apt to get the newest version.";

    bool automaticallyChecksForUpdates = false;
    bool automaticallyDownloadsUpdates = false;
    bool sendsSystemProfile = false;
    // Whether the user is asked before automatic checks (never, here).
    std::function<bool()> shouldPromptForPermissionToCheckForUpdates = [] { return false; };

    // The feed of the application with this identifier, as a registered default.
    static QUrl feedURLForSecret(const QString& formattedSecret);
    static void registerFeedDefault(const QString& formattedSecret);
    // The feed in force: the stored value, else the registered default.
    static QUrl feedURL();

    // A check the user asked for: no feed is served for this program, so it tells them
    // where updates come from.
    void checkForUpdates(QWidget* parent);
};

// Holds the updater for the application's life.
class KPStoreHelper {
public:
    static KPStoreHelper& sharedHelper();

    SUUpdater* sparkleUpdater() const { return updater_.get(); }
    void setSparkleUpdater(std::unique_ptr<SUUpdater> updater) { updater_ = std::move(updater); }
    void checkForUpdates(QWidget* parent);

private:
    KPStoreHelper() = default;
    std::unique_ptr<SUUpdater> updater_;
};
