#pragma once

#include <QUrl>
#include <memory>

// What the screens ask of the desktop: opening a web address in the browser and the
// beep. One instance serves the program; tests put a recorder in its place so that
// nothing opens a browser.
class SWDesktop {
public:
    virtual ~SWDesktop() = default;

    static SWDesktop& shared();
    // Replaces the shared instance; null puts the desktop's own back.
    static void setShared(std::shared_ptr<SWDesktop> desktop);

    virtual void openURL(const QUrl& url);
    virtual void beep();
};

// The program's web addresses: ours, and the desktop's own advice on backups.
namespace SWWebAddress {
inline constexpr char kHomePage[] = "https://sweepwell.org/";
inline constexpr char kSupportSite[] = "https://sweepwell.org/support";
inline constexpr char kSupportRequestPath[] = "/hc/en-us/requests/new";
inline constexpr char kSocialPage[] = "https://mastodon.social/@sweepwell";
inline constexpr char kMoreAppsQuery[] = "ref=moreapps";
inline constexpr char kBackupAdvice[] =
    "https://help.gnome.org/users/gnome-help/stable/backup-why.html";
}  // namespace SWWebAddress
