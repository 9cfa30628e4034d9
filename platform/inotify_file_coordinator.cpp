#include "platform/inotify_file_coordinator.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QSocketNotifier>

#include "platform/file_path.h"

namespace platform {
namespace {

constexpr quint32 kWatchMask = IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR;
// Halves of renames whose other half never came (moved to an unwatched folder).
constexpr int kMaxPendingMoves = 256;

// The top of the volume that holds the folder: the last folder on the way up that is
// still on the same device.
QString volumeTop(const QString& folder) {
    struct stat st {};
    if (::stat(encodePath(folder).constData(), &st) != 0) return QString();
    QString top = folder;
    while (top != QLatin1String("/")) {
        QString parent = deletingLastPathComponent(top);
        if (parent.isEmpty()) parent = QStringLiteral("/");
        struct stat above {};
        if (::stat(encodePath(parent).constData(), &above) != 0 || above.st_dev != st.st_dev) break;
        top = parent;
    }
    return top;
}

}  // namespace

InotifyFileCoordinator::InotifyFileCoordinator() = default;

InotifyFileCoordinator::~InotifyFileCoordinator() {
    delete notifier_;
    if (fd_ >= 0) ::close(fd_);
}

QStringList InotifyFileCoordinator::trashFolders() {
    QString dataHome = decodePath(qgetenv("XDG_DATA_HOME"));
    if (!dataHome.startsWith(u'/')) {
        dataHome = appendPathComponent(decodePath(qgetenv("HOME")), QStringLiteral(".local/share"));
    }
    return {appendPathComponent(dataHome, QStringLiteral("Trash/files"))};
}

QStringList InotifyFileCoordinator::volumeTrashFolders(const QString& folder) {
    const QString top = volumeTop(folder);
    if (top.isEmpty()) return {};
    const QString uid = QString::number(getuid());
    return {appendPathComponent(top, QStringLiteral(".Trash-%1/files").arg(uid)),
            appendPathComponent(top, QStringLiteral(".Trash/%1/files").arg(uid))};
}

void InotifyFileCoordinator::ensureStarted() {
    if (fd_ >= 0) return;
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) return;
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_, &QSocketNotifier::activated, this, [this] { readEvents(); });
    for (const QString& trash : trashFolders())
        watch(trash);
}

int InotifyFileCoordinator::watch(const QString& folder) {
    const int wd = inotify_add_watch(fd_, encodePath(folder).constData(), kWatchMask);
    if (wd < 0) return -1;
    folders_.insert(wd, folder);
    watchUsers_[wd] += 1;
    return wd;
}

void InotifyFileCoordinator::unwatch(int wd) {
    if (wd < 0 || --watchUsers_[wd] > 0) return;
    watchUsers_.remove(wd);
    folders_.remove(wd);
    inotify_rm_watch(fd_, wd);
}

void InotifyFileCoordinator::addFilePresenter(FilePresenter* presenter) {
    std::lock_guard lock(mutex_);
    ensureStarted();
    if (fd_ < 0) return;
    const QString folder = deletingLastPathComponent(presenter->presentedItemPath());
    Watched watched{presenter, {watch(folder)}};
    for (const QString& trash : volumeTrashFolders(folder)) {
        if (const int wd = watch(trash); wd >= 0) watched.wds.append(wd);
    }
    presenters_.append(watched);
}

void InotifyFileCoordinator::removeFilePresenter(FilePresenter* presenter) {
    std::lock_guard lock(mutex_);
    for (qsizetype i = presenters_.size() - 1; i >= 0; --i) {
        if (presenters_[i].presenter != presenter) continue;
        for (const int wd : presenters_[i].wds)
            unwatch(wd);
        presenters_.removeAt(i);
    }
    for (auto it = pendingMoves_.begin(); it != pendingMoves_.end();) {
        it = it.value() == presenter ? pendingMoves_.erase(it) : std::next(it);
    }
}

void InotifyFileCoordinator::readEvents() {
    // Delivery happens under the lock, so a presenter cannot be destroyed on another
    // thread while it is being told of its move.
    std::lock_guard lock(mutex_);
    alignas(struct inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0) break;
        for (ssize_t offset = 0; offset < n;) {
            const auto* event = reinterpret_cast<const struct inotify_event*>(buffer + offset);
            offset += ssize_t(sizeof(struct inotify_event) + event->len);
            const QString name =
                event->len ? decodePath(event->name, qsizetype(strlen(event->name))) : QString();
            handleEvent(event->wd, event->mask, event->cookie, name);
        }
    }
    if (pendingMoves_.size() > kMaxPendingMoves) pendingMoves_.clear();
}

void InotifyFileCoordinator::handleEvent(int wd, quint32 mask, quint32 cookie,
                                         const QString& name) {
    const QString folder = folders_.value(wd);
    if (folder.isEmpty() || name.isEmpty()) return;
    const QString path = appendPathComponent(folder, name);
    if (mask & IN_MOVED_FROM) {
        for (const Watched& w : presenters_) {
            if (w.presenter->presentedItemPath() == path) pendingMoves_.insert(cookie, w.presenter);
        }
    } else if (mask & IN_MOVED_TO) {
        if (FilePresenter* presenter = pendingMoves_.take(cookie)) {
            presenter->presentedItemDidMoveTo(path);
        }
    }
}

}  // namespace platform
