#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <memory>

class QSoundEffect;
class QWidget;

// What the screens ask of the desktop: opening a web address in the browser, showing a
// file in the file manager, the beep, notifications with their sound, and asking for the
// user's attention. One instance
// serves the program; tests put a recorder in its place so that nothing opens a browser
// or reaches the user's notification area.
class SWDesktop {
public:
    SWDesktop();
    // Desktop services are asked for on that bus instead of the session bus.
    explicit SWDesktop(const QDBusConnection& bus);
    virtual ~SWDesktop();

    static SWDesktop& shared();
    // Replaces the shared instance; null puts the desktop's own back.
    static void setShared(std::shared_ptr<SWDesktop> desktop);

    virtual void openURL(const QUrl& url);
    // Shows the file selected in the file manager (FileManager1 on the bus); without one,
    // or when it fails or does not answer within kRevealTimeoutMs, opens the folder that
    // holds the file instead. Never waits for the answer.
    virtual void revealFile(const QString& path);
    static constexpr int kRevealTimeoutMs = 5000;
    virtual void beep();
    // A notification through the desktop's notification service on the session bus;
    // nothing when there is none.
    virtual void postNotification(const QString& title, const QString& body);
    // Plays a sound of the program's resources; silent when no audio output is there.
    virtual void playSound(const QUrl& sound);
    // Marks the window as wanting attention (the task bar's highlight).
    virtual void requestAttention(QWidget* window);

private:
    QDBusConnection bus_;
    // Parent of the pending calls: an answer that arrives after this object is gone is
    // dropped with it.
    QObject pendingCalls_;
    // Owned by the application object: a sound outliving it (this object is a static)
    // would be torn down after the audio backend is gone.
    QPointer<QSoundEffect> sound_;
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

// The file:// address of a path, built from its bytes: a name that is not valid UTF-8
// keeps its bytes, percent-encoded, where QUrl::fromLocalFile would lose them.
QByteArray SWFileURI(const QString& path);
